'use strict';
// A page served by a hall (a server that replays each round sent to it and
// ranks the best) offers "Send to the hall" beside the share control, with
// the player's name, kept in this browser; the hall's answer, the round's
// rank or why it was refused, is said after. The page asks its server for
// itself once: a hall says so in a header; a plain folder's server does not,
// and the page shows nothing of it.
(function () {
    var NameKey = 'fusewalker.name';
    var base = location.origin + location.pathname.replace(/[^/]*$/, '');

    function $(id) {
        return document.getElementById(id);
    }
    function say(text) {
        $('hall-said').textContent = text;
    }

    function askServer() {
        fetch(base, { method: 'HEAD', cache: 'no-store' }).then(function (response) {
            if (!response.headers.get('Fusewalker-Hall') || !RoundLinks.canPack)
                return;
            $('hall').hidden = false;
            try {
                $('hall-name').value = localStorage.getItem(NameKey) || '';
            } catch (error) {
                // A browser that keeps nothing for the page asks each time.
            }
        }).catch(function () {});
    }
    // A page kept for play offline asks once the network is back, not in vain now.
    if (navigator.onLine === false)
        addEventListener('online', askServer, { once: true });
    else
        askServer();

    $('send-hall').addEventListener('click', async function () {
        var name = $('hall-name').value.trim();
        var text = Module.ccall('fw_shared_round', 'string', [], []);
        if (!name || !text) {
            say(name ? '' : 'Your name first, for the hall.');
            return;
        }
        try {
            localStorage.setItem(NameKey, name);
        } catch (error) {
            // Not kept: asked again next time.
        }
        var link = await RoundLinks.linkFor(text);
        this.disabled = true;
        say('Sent: the hall replays the round…');
        try {
            var response = await fetch(base + 'api/rounds', {
                method: 'POST',
                headers: { 'Content-Type': 'application/json' },
                body: JSON.stringify({ name: name, round: link.slice(link.indexOf('#round=') + '#round='.length) }),
            });
            var answer = await response.json().catch(function () {
                return {};
            });
            if (response.ok)
                say((response.status === 201 ? 'In the hall' : 'Already in the hall') + ' at rank ' + answer.rank + '.');
            else if (response.headers.get('Retry-After'))
                say('The hall is busy: try again in ' + response.headers.get('Retry-After') + ' s.');
            else
                say('The hall refused the round: ' + (answer.error || 'HTTP ' + response.status) + '.');
        } catch (error) {
            say('The hall cannot be reached: ' + error.message + '.');
        }
        this.disabled = false;
    });

    // A new score screen, a new round to send.
    GameWatch.push(function (status) {
        if (status.state !== 2)
            say('');
    });
})();
