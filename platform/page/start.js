'use strict';
// Starts the game: the page's address becomes its command line, a recording
// to play goes into its file system before it starts, and what goes wrong,
// from loading on, is said in the page as well as on the console.
//
//   ?play=URL  plays the recording at URL back (--play)
//   ?fps=N     N frames a second (--fps); 0: one a display refresh
//   ?record    writes the recording to the console as it goes (--record)
//   ?pause=N   stops after frame N, keeping its picture (the page's own)

// The most of a recording the page takes, from a link, a file or a server.
var MostRecordingBytes = 1 << 20;

var Module = {
    arguments: [],
    preRun: [],
    // The game's standard error is the console's errors.
    printErr: function (text) {
        console.error(text);
    },
    // The page's line of words, which a tap or a click puts away.
    notice: function (text) {
        var line = document.getElementById('notice');
        line.textContent = text;
        line.hidden = false;
    },
    onRuntimeInitialized: function () {
        document.getElementById('loading').hidden = true;
    },
    // The game could not load, or stopped on an error of its own.
    onAbort: function (what) {
        gameStopped(String(what));
    },
};
document.getElementById('notice').addEventListener('click', function () {
    this.hidden = true;
});

// Said on the console, as the game says it, and in the page.
function pageProblem(text) {
    console.error('fusewalker: ' + text);
    Module.notice(text);
}

var stopped = false;
function gameStopped(what) {
    if (stopped)
        return;
    stopped = true;
    document.getElementById('loading').hidden = true;
    if (!Module.calledRun)
        pageProblem('The game could not be loaded: ' + what + '. Reload the page to try again.');
    else
        pageProblem('The game stopped on an error of its own: ' + what + '. Reload the page to play again.');
}
// Browsers load no .wasm for a page opened as a file, and do not tell the
// page why: it says so at once, and takes it back if the game runs after all.
var FileWords = 'Opened as a file, this page cannot load the game: serve its folder (python3 -m http.server ' +
    'there) and open http://127.0.0.1:8000/ instead.';
if (location.protocol === 'file:') {
    pageProblem(FileWords);
    Module.preRun.push(function () {
        if (document.getElementById('notice').textContent === FileWords)
            document.getElementById('notice').hidden = true;
    });
}

// A fault inside the game's code reaches the page as an uncaught error; a
// .wasm that cannot be fetched at all (no network) as a promise nobody
// caught, before the game runs.
window.addEventListener('error', function (event) {
    if (event.error instanceof WebAssembly.RuntimeError)
        gameStopped(event.error.message);
});
window.addEventListener('unhandledrejection', function (event) {
    if (!Module.calledRun)
        gameStopped(String(event.reason && event.reason.message || event.reason));
});

// Plays a recording: its bytes, once they come (a promise), are put in the
// game's file system before it starts, and the game is told to play them.
// Bytes that cannot be had leave the game to play as usual, the reason said.
function playFirst(name, bytes) {
    var ready = bytes.then(
        function (data) {
            return data;
        },
        function (error) {
            pageProblem(error.message);
            return null;
        });
    Module.preRun.push(function () {
        Module.addRunDependency('recording');
        ready.then(function (data) {
            if (data) {
                Module.FS_createPath('/', 'recordings', true, true);
                Module.FS_createDataFile('/recordings', name, data, true, false);
                Module.arguments.push('--play', '/recordings/' + name);
            }
            Module.removeRunDependency('recording');
        });
    });
}

// A recording at an address, under its own file name where that is a plain
// one: read as it comes, no more than the most a recording may be, and
// given up when the server stalls.
function fetchRecording(url) {
    var name = url.split(/[?#]/)[0].split('/').pop();
    var StallSeconds = 10;
    var MostSeconds = 30;
    var control = new AbortController();
    var why = '';
    function giveUp(reason) {
        why = reason;
        control.abort();
    }
    var stall = setTimeout(giveUp, StallSeconds * 1000, 'the server sent nothing for ' + StallSeconds + ' s');
    var limit = setTimeout(giveUp, MostSeconds * 1000, 'it took longer than ' + MostSeconds + ' s');
    async function read() {
        var response = await fetch(url, { signal: control.signal });
        if (!response.ok)
            throw new Error('HTTP ' + response.status);
        if (Number(response.headers.get('Content-Length')) > MostRecordingBytes)
            throw new Error('it is larger than 1 MB');
        var reader = response.body.getReader();
        var chunks = [];
        var size = 0;
        for (;;) {
            var part = await reader.read();
            if (part.done)
                break;
            clearTimeout(stall);
            stall = setTimeout(giveUp, StallSeconds * 1000, 'the server sent nothing for ' + StallSeconds + ' s');
            size += part.value.length;
            if (size > MostRecordingBytes) {
                reader.cancel();
                throw new Error('it is larger than 1 MB');
            }
            chunks.push(part.value);
        }
        return joinChunks(chunks, size);
    }
    playFirst(/^[\w-][\w.-]*$/.test(name) ? name : 'recording', read().catch(function (error) {
        throw new Error('The recording ' + url + ' cannot be played: ' + (why || error.message) + '.');
    }).finally(function () {
        clearTimeout(stall);
        clearTimeout(limit);
    }));
}

function joinChunks(chunks, size) {
    var bytes = new Uint8Array(size);
    for (var at = 0, i = 0; i < chunks.length; at += chunks[i].length, ++i)
        bytes.set(chunks[i], at);
    return bytes;
}

new URLSearchParams(location.search).forEach(function (value, key) {
    if (key === 'play') {
        fetchRecording(value);
    } else if (key === 'fps') {
        if (/^\d{1,4}$/.test(value) && Number(value) <= 1000)
            Module.arguments.push('--fps', value);
        else
            pageProblem('?fps=' + value + ' is not a pace from 0 to 1000 frames a second: the game plays at its own.');
    } else if (key === 'record') {
        Module.arguments.push('--record', '/dev/stdout');
    } else if (key === 'pause') {
        if (/^\d+$/.test(value))
            Module.pauseAfterFrame = Number(value);
        else
            console.error('fusewalker: ?pause=' + value + ' is not a frame number (ignored)');
    } else {
        console.error('fusewalker: ?' + key + (value ? '=' + value : '') + ' is not an option of this page (ignored)');
    }
});
