'use strict';
// Starts the game: the page's address becomes its command line, a recording
// to play goes into its file system before it starts, and what goes wrong is
// said in the page as well as on the console.
//
//   ?play=URL  plays the recording at URL back (--play)
//   ?fps=N     at most N frames a second (--fps)
//   ?record    writes the recording to the console as it goes (--record)
//   ?pause=N   stops after frame N, keeping its picture (the page's own)

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
};
document.getElementById('notice').addEventListener('click', function () {
    this.hidden = true;
});

// Said on the console, as the game says it, and in the page.
function pageProblem(text) {
    console.error('fusewalker: ' + text);
    Module.notice(text);
}

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

// A recording at an address, under its own file name where that is a plain one.
function fetchRecording(url) {
    var name = url.split(/[?#]/)[0].split('/').pop();
    playFirst(/^[\w-][\w.-]*$/.test(name) ? name : 'recording', fetch(url).then(function (response) {
        if (!response.ok)
            throw new Error('HTTP ' + response.status);
        return response.arrayBuffer();
    }).then(function (bytes) {
        return new Uint8Array(bytes);
    }).catch(function (error) {
        throw new Error('cannot fetch the recording ' + url + ': ' + error.message);
    }));
}

new URLSearchParams(location.search).forEach(function (value, key) {
    if (key === 'play') {
        fetchRecording(value);
    } else if (key === 'fps') {
        Module.arguments.push('--fps', value);
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
