'use strict';
// On the score screen the page offers "Share this round": the game gives
// the round as a recording that replays it alone, and its link goes to the
// clipboard, to the phone's share sheet and into a field to select. Beside
// the control, the best score played here.
(function () {
    var BestKey = 'fusewalker.best';

    function $(id) {
        return document.getElementById(id);
    }

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
        var link = await RoundLinks.linkFor(text);
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

    // Once a frame: the share control on the score screen of a round that
    // has ended (a replay's score is not the viewer's best).
    var onScore = false;
    GameWatch.push(function (status) {
        var score = status.state === 2 && status.roundEnded;
        if (score === onScore)
            return;
        onScore = score;
        if (score && !status.roundPlayedBack)
            keepBest(status.score);
        $('best').textContent = best() ? 'Best: ' + best() : '';
        $('share').hidden = !score || !RoundLinks.canPack;
        $('share-round').textContent = 'Share this round';
        $('link').hidden = true;
    });
})();
