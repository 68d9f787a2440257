'use strict';
// Rounds shared as links. On the score screen the page offers "Share this
// round": the game gives the round as a recording that replays it alone,
// which goes after "#round=" on the page's own address, compressed as raw
// DEFLATE and written in base64url without padding. Opening such a link,
// dropping a recording on the page or choosing one with its control plays
// the round back with every outcome checked, and the page says whether it
// replays to its score. Beside the control, the best score played here.
(function () {
    // A recording unpacked, at most; fusewalker-replay --link refuses the same.
    var MostBytes = 1 << 20;
    var BestKey = 'fusewalker.best';
    var address = location.origin + location.pathname;
    // Browsers from before 2023 have WebGL 2 but cannot pack or unpack a round.
    var CanPack = typeof CompressionStream !== 'undefined' && typeof DecompressionStream !== 'undefined';
    var TooOld = 'This browser cannot unpack a shared round: try a newer one.';

    function $(id) {
        return document.getElementById(id);
    }

    function toBase64Url(bytes) {
        var text = '';
        for (var i = 0; i < bytes.length; ++i)
            text += String.fromCharCode(bytes[i]);
        return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
    }

    function fromBase64Url(text) {
        var binary = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
        var bytes = new Uint8Array(binary.length);
        for (var i = 0; i < binary.length; ++i)
            bytes[i] = binary.charCodeAt(i);
        return bytes;
    }

    function pack(bytes) {
        var stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate-raw'));
        return new Response(stream).arrayBuffer().then(function (packed) {
            return new Uint8Array(packed);
        });
    }

    // The link's round as bytes, unpacked no further than the limit: a link
    // is anyone's input, and a small one can unpack to gigabytes.
    async function unpack(text) {
        if (text === '')
            throw new Error('This link holds no round.');
        if (!CanPack)
            throw new Error(TooOld);
        if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1)
            throw new Error('This link\'s round is damaged: it is not base64url.');
        var stream = new Blob([fromBase64Url(text)]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
        var reader = stream.getReader();
        var chunks = [];
        var size = 0;
        for (;;) {
            var part;
            try {
                part = await reader.read();
            } catch (error) {
                throw new Error('This link\'s round does not unpack: it is cut short, or not DEFLATE.');
            }
            if (part.done)
                break;
            size += part.value.length;
            if (size > MostBytes) {
                reader.cancel();
                throw new Error('This link\'s round is larger than 1 MB unpacked: it is not played.');
            }
            chunks.push(part.value);
        }
        if (size === 0)
            throw new Error('This link\'s round is empty.');
        var bytes = new Uint8Array(size);
        for (var at = 0, i = 0; i < chunks.length; at += chunks[i].length, ++i)
            bytes.set(chunks[i], at);
        return bytes;
    }

    if (location.hash.indexOf('#round=') === 0)
        playFirst('round.rec', unpack(location.hash.slice('#round='.length)));

    // A recording file, from a drop or the page's control, is opened as the
    // link for it: the page starts again and plays it.
    async function openFile(file) {
        if (file.size > MostBytes || !CanPack) {
            pageProblem(CanPack ? 'This recording is larger than 1 MB: it is not played.' : TooOld);
            return;
        }
        var packed = await pack(new Uint8Array(await file.arrayBuffer()));
        history.replaceState(null, '', address + '#round=' + toBase64Url(packed));
        location.reload();
    }
    document.addEventListener('dragover', function (event) {
        event.preventDefault();
    });
    document.addEventListener('drop', function (event) {
        event.preventDefault();
        if (event.dataTransfer.files.length)
            openFile(event.dataTransfer.files[0]);
    });
    $('open').addEventListener('click', function () {
        $('file').click();
    });
    $('file').addEventListener('change', function () {
        if (this.files.length)
            openFile(this.files[0]);
    });

    function best() {
        try {
            return Number(localStorage.getItem(BestKey)) || 0;
        } catch (error) {
            return 0;
        }
    }
    function keepBest(score) {
        try {
            if (score > best())
                localStorage.setItem(BestKey, String(score));
        } catch (error) {
            // A browser that keeps nothing for the page keeps no best either.
        }
    }

    $('share-round').addEventListener('click', async function () {
        var text = Module.ccall('fw_shared_round', 'string', [], []);
        if (!text)
            return;
        var link = address + '#round=' + toBase64Url(await pack(new TextEncoder().encode(text)));
        var field = $('link');
        field.value = link;
        field.hidden = false;
        field.select();
        console.log('fusewalker: the round shared, in a link of ' + link.length + ' characters');
        var said = $('share-round');
        if (navigator.clipboard)
            navigator.clipboard.writeText(link).then(function () {
                said.textContent = 'Link copied';
            }, function () {});
        if (navigator.share)
            navigator.share({ title: document.title, url: link }).catch(function () {});
    });

    // The page beside the game, once a frame: the share control on the
    // score screen, and while a recording plays and after, what it showed.
    var onScore = false;
    var played = 'none';
    function watch() {
        var status = JSON.parse(Module.ccall('fw_status', 'string', [], []));
        var score = status.state === 2 && status.roundEnded;
        if (score !== onScore) {
            onScore = score;
            if (score && !status.roundPlayedBack)
                keepBest(status.score);
            $('best').textContent = best() ? 'Best: ' + best() : '';
            $('share').hidden = !score || !CanPack;
            $('share-round').textContent = 'Share this round';
            $('link').hidden = true;
        }
        var words = $('replay');
        if (status.playback === 'playing' && played !== 'playing') {
            words.textContent = 'Replay: a recorded round, its score checked as it plays.';
            words.hidden = false;
        } else if (status.playback === 'ended' && played === 'playing') {
            words.textContent = status.failedFrame >= 0
                ? 'This round does not replay to its score: frame ' + status.failedFrame + ' differs from the recording.'
                : status.checked > 0 ? 'Replay verified: score ' + status.score + '.'
                : 'Replay ended: the recording holds no score to check.';
        } else if (status.playback === 'ended' && status.state === 1) {
            words.hidden = true;
        }
        played = status.playback;
        requestAnimationFrame(watch);
    }
    Module.onRuntimeInitialized = function () {
        requestAnimationFrame(watch);
    };
})();
