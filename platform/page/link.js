'use strict';
// Rounds as links: a recording after "#round=" on the page's own address,
// compressed as raw DEFLATE and written in base64url without padding.
// Opening such a link, pasting one into the open page, dropping a recording
// on the page or choosing one with its control plays the round back with
// every outcome checked. A link is anyone's input: its length is checked
// before it is decoded, and it is unpacked a slice at a time, read between
// slices, so that a few kilobytes cannot make the page hold more than about
// 2 MB of round (fusewalker-replay --link refuses what the page refuses).
var RoundLinks = (function () {
    // The longest fragment a recording of at most 1 MB makes: stored
    // uncompressed, in base64url.
    var MostFragment = 1400000;
    // DEFLATE unpacks at most about a thousand bytes from one: a slice
    // this size never unpacks to more than a megabyte.
    var Slice = 1024;
    var address = location.origin + location.pathname;

    // Browsers from before 2023, and some since, have no raw DEFLATE: the
    // streams are made to find out, as their constructors exist without it.
    var canPack = (function () {
        try {
            new CompressionStream('deflate-raw');
            new DecompressionStream('deflate-raw');
            return true;
        } catch (error) {
            return false;
        }
    })();
    var TooOld = 'This browser cannot unpack a shared round: try a newer one.';

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

    async function unpack(text) {
        if (text === '')
            throw new Error('This link holds no round.');
        if (!canPack)
            throw new Error(TooOld);
        if (text.length > MostFragment)
            throw new Error('This link is longer than any round\'s: it is not played.');
        if (!/^[A-Za-z0-9_-]*$/.test(text) || text.length % 4 === 1)
            throw new Error('This link\'s round is damaged: it is not base64url.');
        var packed = fromBase64Url(text);
        var stream = new DecompressionStream('deflate-raw');
        var writer = stream.writable.getWriter();
        var reader = stream.readable.getReader();
        var chunks = [];
        var size = 0;
        var tooLarge = false;
        // The writer waits on each slice, which waits until the reader has
        // taken what the slice before it made.
        async function write() {
            for (var at = 0; at < packed.length; at += Slice)
                await writer.write(packed.subarray(at, at + Slice));
            await writer.close();
        }
        async function read() {
            for (;;) {
                var part = await reader.read();
                if (part.done)
                    return;
                size += part.value.length;
                if (size > MostRecordingBytes) {
                    tooLarge = true;
                    throw new Error('too large');
                }
                chunks.push(part.value);
            }
        }
        try {
            await Promise.all([write(), read()]);
        } catch (error) {
            chunks = [];
            reader.cancel().catch(function () {});
            writer.abort().catch(function () {});
            throw new Error(tooLarge ? 'This link\'s round is larger than 1 MB unpacked: it is not played.'
                : 'This link\'s round does not unpack: it is cut short, or not DEFLATE.');
        }
        if (size === 0)
            throw new Error('This link\'s round is empty.');
        return joinChunks(chunks, size);
    }

    if (location.hash.indexOf('#round=') === 0)
        playFirst('round.rec', unpack(location.hash.slice('#round='.length)));
    // A link pasted into the open page: the page starts again and plays it.
    window.addEventListener('hashchange', function () {
        if (location.hash.indexOf('#round=') === 0)
            location.reload();
    });

    // A recording file, from a drop or the page's control, is opened as the
    // link for it: the page starts again and plays it.
    async function openFile(file) {
        if (file.size > MostRecordingBytes || !canPack) {
            pageProblem(canPack ? 'This recording is larger than 1 MB: it is not played.' : TooOld);
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
    document.getElementById('open').addEventListener('click', function () {
        document.getElementById('file').click();
    });
    document.getElementById('file').addEventListener('change', function () {
        if (this.files.length)
            openFile(this.files[0]);
    });

    // The link for a recording's text.
    async function linkFor(text) {
        return address + '#round=' + toBase64Url(await pack(new TextEncoder().encode(text)));
    }
    return { canPack: canPack, linkFor: linkFor };
})();
