'use strict';
// The page keeps itself for play without a network: a service worker
// (sw.js) holds every file it loads from the first visit on, and the next
// release replaces them. Browsers run one only for pages on https or on
// this machine (localhost); elsewhere the page simply needs its server.
if ('serviceWorker' in navigator && window.isSecureContext) {
    window.addEventListener('load', function () {
        navigator.serviceWorker.register('sw.js', { updateViaCache: 'none' }).catch(function (error) {
            console.warn('fusewalker: the page is not kept for offline play: ' + error.message);
        });
    });
}
