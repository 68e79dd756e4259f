// The help window: its text and place from the window that opened it, so
// that the page keeps no second copy. It closes when that program ends, even
// if its page was loaded again since.
'use strict';
(() => {
    if (!window.opener) {
        return;
    }
    const program = window.opener.name;
    if (typeof BroadcastChannel === 'function') {
        new BroadcastChannel('lumivar').addEventListener('message', (event) => {
            if (event.data && event.data.end === program) {
                window.close();
            }
        });
    }
    // The opener may be loading again; its design comes when it has started.
    const show = () => {
        const design = window.opener?.LumivarPage?.design;
        if (!design) {
            if (window.opener && !window.opener.closed) {
                setTimeout(show, 100);
            }
            return;
        }
        // At the designed size, whatever size the browser gives new windows
        // (a launcher's --window-size applies to every window, pop-ups too).
        // The first size a new window reports may not be its own yet: it is
        // fitted again as it reports another, a few times at most, until it
        // has the designed size once; then the user may size it.
        const [, , clientWidth, clientHeight] = design.helpClient;
        let fits = 3;
        const fit = () => {
            if (window.innerWidth === clientWidth && window.innerHeight === clientHeight) {
                fits = 0;
            }
            if (fits > 0) {
                --fits;
                window.resizeBy(clientWidth - window.innerWidth, clientHeight - window.innerHeight);
            }
        };
        window.addEventListener('resize', fit);
        fit();
        const [left, top, width, height] = design.helpLabel;
        const text = document.getElementById('help-text');
        Object.assign(text.style, {
            left: `${left}px`,
            top: `${top}px`,
            width: `${width}px`,
            height: `${height}px`,
            fontSize: `${design.helpFontPixels}px`,
            fontFamily: design.helpFont,
        });
        text.textContent = design.helpText;
        text.setAttribute('aria-label', design.helpName);
        document.title = design.helpTitle;
    };
    show();
})();
