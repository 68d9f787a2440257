'use strict';
// One path for a mouse, a finger and a pen: Pointer Events on the canvas,
// each mapped to the canvas pixel under it, wherever the canvas sits in the
// page and at any pixel ratio, and handed to the game as the mouse is on
// the desktop. A mouse moves and presses its left button; a finger or a pen
// put down is a move there, so the marker shows where it acts, then a
// press; moving it moves the marker; lifting it does nothing. One pointer at
// a time: while one is down, the others are not heard. The page's controls
// lie outside the canvas, so their clicks and taps never reach the game.
(function () {
    var canvas = document.getElementById('canvas');
    var controls = document.getElementById('controls');
    var held = null; // the pointer that is down

    function send(route, event) {
        if (!Module.calledRun)
            return;
        var box = canvas.getBoundingClientRect();
        var x = Math.floor((event.clientX - box.left) * canvas.width / box.width);
        var y = Math.floor((event.clientY - box.top) * canvas.height / box.height);
        route(x, y, canvas.width, canvas.height);
    }

    canvas.addEventListener('pointerdown', function (event) {
        // The press is the game's: no compatibility mouse events after it,
        // no focus, no selection.
        event.preventDefault();
        if (held !== null || (event.pointerType === 'mouse' && event.button !== 0))
            return;
        held = event.pointerId;
        if (event.pointerType !== 'mouse')
            send(Module._fw_pointer_move, event);
        send(Module._fw_pointer_press, event);
    });
    canvas.addEventListener('pointermove', function (event) {
        if (held === null || event.pointerId === held)
            send(Module._fw_pointer_move, event);
    });
    // A mouse may be let go outside the canvas.
    function lifted(event) {
        if (event.pointerId === held)
            held = null;
    }
    window.addEventListener('pointerup', lifted);
    window.addEventListener('pointercancel', lifted);
    canvas.addEventListener('contextmenu', function (event) {
        event.preventDefault();
    });

    // The page's controls: a mouse brings them while it moves and for two
    // seconds after, or while it rests on them; after a finger or a pen,
    // which cannot hover, they stay.
    var touched = window.matchMedia('(any-pointer: coarse)').matches;
    var hiding = 0;
    function hideLater() {
        clearTimeout(hiding);
        hiding = setTimeout(function () {
            if (controls.matches(':hover'))
                hideLater();
            else
                controls.classList.remove('shown');
        }, 2000);
    }
    function show(event) {
        touched = touched || event.pointerType !== 'mouse';
        controls.classList.add('shown');
        if (!touched)
            hideLater();
    }
    document.addEventListener('pointermove', show);
    document.addEventListener('pointerdown', show);
    if (touched)
        controls.classList.add('shown');

    // Full screen where the browser offers it: not on iPhones, and on older
    // iPads under WebKit's own names.
    var root = document.documentElement;
    var enter = root.requestFullscreen || root.webkitRequestFullscreen;
    var leave = document.exitFullscreen || document.webkitExitFullscreen;
    var shown = function () {
        return document.fullscreenElement || document.webkitFullscreenElement;
    };
    var fullscreen = document.getElementById('fullscreen');
    fullscreen.hidden = !(enter && (document.fullscreenEnabled || document.webkitFullscreenEnabled));
    fullscreen.addEventListener('click', function () {
        if (shown())
            leave.call(document);
        else
            enter.call(root);
    });
})();
