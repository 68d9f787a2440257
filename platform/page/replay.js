'use strict';
// The page beside a recording at play: what it is, while a shared round's
// frames before it run through, then the verdict on its outcomes, which
// stays until the viewer's first click or tap. "Stop watching" hands the
// game over at once. Every script of the page that follows the game once
// an animation frame adds itself to GameWatch.
var GameWatch = [];
(function () {
    function $(id) {
        return document.getElementById(id);
    }
    var words = $('replay');
    var played = 'none';
    var verdictShown = false;

    function say(text) {
        words.textContent = text;
        words.hidden = false;
    }
    function verdict(status) {
        if (status.playback === 'stopped')
            return 'Replay stopped: the game is yours.';
        if (status.failedFrame >= 0)
            return 'This round does not replay to its score: frame ' + status.failedFrame + ' differs from the recording.';
        return status.checked > 0 ? 'Replay verified: score ' + status.score + '.'
            : 'Replay ended: the recording holds no score to check.';
    }

    GameWatch.push(function (status) {
        if (status.playback === 'playing') {
            say(status.catchingUp ? 'Replay: bringing the game to where the round starts, at frame ' + status.shownFrom + '.'
                : 'Replay: a recorded round, its score checked as it plays.');
        } else if (played === 'playing') {
            say(verdict(status));
            verdictShown = true;
        }
        $('watching').hidden = status.playback !== 'playing';
        played = status.playback;
    });
    $('stop-watching').addEventListener('click', function () {
        Module.ccall('fw_stop_watching', null, [], []);
    });
    // The verdict goes with the viewer's first click or tap on the game.
    document.getElementById('canvas').addEventListener('pointerdown', function () {
        if (verdictShown && played !== 'playing') {
            words.hidden = true;
            verdictShown = false;
        }
    });

    function watch() {
        var status = JSON.parse(Module.ccall('fw_status', 'string', [], []));
        GameWatch.forEach(function (follow) {
            follow(status);
        });
        requestAnimationFrame(watch);
    }
    var initialized = Module.onRuntimeInitialized;
    Module.onRuntimeInitialized = function () {
        initialized();
        requestAnimationFrame(watch);
    };
})();
