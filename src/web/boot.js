// Starts the program where the browser can run it, and otherwise says on the
// page, in one line, why not. Written for old browsers too, so that it can
// tell them so: no syntax newer than they know.
(function () {
    'use strict';
    var ready = false;

    function fail(kind, detail) {
        if (ready || document.body.getAttribute('data-failed')) {
            return;
        }
        var line = document.getElementById('start-failure');
        var form = document.getElementById('form1');
        form.parentNode.removeChild(form);
        line.textContent = line.getAttribute('data-' + kind) + (detail ? ' ' + detail : '');
        line.hidden = false;
        document.body.setAttribute('data-failed', kind);
    }

    function supported() {
        var canvas = document.createElement('canvas');
        return typeof WebAssembly === 'object' && typeof WebAssembly.instantiate === 'function'
               && typeof Promise === 'function' && typeof Map === 'function' && typeof Symbol === 'function'
               && typeof window.requestAnimationFrame === 'function' && !!canvas.getContext
               && !!canvas.getContext('2d') && 'classList' in canvas;
    }

    function load(file, loaded, kind) {
        var script = document.createElement('script');
        script.src = file;
        script.onload = loaded;
        script.onerror = function () {
            fail(kind, '(' + file + ')');
        };
        document.body.appendChild(script);
    }

    window.LumivarBoot = {
        fail: fail,
        started: function () {
            ready = true;
        },
    };
    window.addEventListener('error', function (event) {
        var old = event.error instanceof SyntaxError;
        fail(old ? 'old' : 'fault', old ? '' : event.error ? '' + event.error : event.message);
    });
    window.addEventListener('unhandledrejection', function (event) {
        fail('fault', '' + event.reason);
    });
    if (!supported()) {
        fail('old');
        return;
    }
    load('app.js', function () {
        load('lumivar.js', null, 'module');
    }, 'fault');
})();
