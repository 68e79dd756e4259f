// The help text, from the window that opened this one: the page keeps no
// second copy of it.
'use strict';
(() => {
    const page = window.opener && window.opener.LumivarPage;
    if (!page) {
        return;
    }
    const twips = 15;
    const [left, top, width, height] = page.design.dialogLabel;
    const text = document.getElementById('help-text');
    Object.assign(text.style, {
        left: `${left / twips}px`,
        top: `${top / twips}px`,
        width: `${width / twips}px`,
        height: `${height / twips}px`,
    });
    text.textContent = page.design.helpText;
})();
