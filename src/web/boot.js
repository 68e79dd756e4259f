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

    // A returning visitor's page asks at once, while the module loads,
    // whether a new version is out: the server's worker names its cache
    // after the files' contents, and the kept cache bears the current name.
    // Where a new version is out, the window waits for its worker, at most
    // kHoldMs, and the page takes it before showing anything. Past that, a
    // new version is taken as soon as it is installed, unless the user has
    // begun; then it waits for the next visit.
    var kHoldMs = 10000;
    var held = [];
    var current = false;

    function isCurrent() {
        if (current) {
            return;
        }
        current = true;
        held.splice(0).forEach(function (show) {
            show();
        });
    }

    function watchUpdates() {
        var workers = navigator.serviceWorker;
        var returning = workers.controller !== null;
        var begun = false;
        ['pointerdown', 'keydown'].forEach(function (kind) {
            window.addEventListener(kind, function () {
                begun = true;
            }, {once: true, capture: true});
        });
        workers.addEventListener('controllerchange', function () {
            if (returning) {
                window.location.reload();
            }
        });
        // A new worker, installing or installed: taken once installed.
        function follow(worker) {
            if (!worker || !returning) {
                return;
            }
            var take = function () {
                if (worker.state === 'installed' && !begun) {
                    worker.postMessage('take-over');
                } else if (worker.state === 'installed' || worker.state === 'redundant') {
                    isCurrent();
                }
            };
            worker.addEventListener('statechange', take);
            take();
        }
        setTimeout(isCurrent, kHoldMs);
        if (!returning) {
            isCurrent(); // the first worker takes the page by itself
        } else {
            // Asked of the server directly: a browser may take seconds to
            // start its own check of a known worker.
            Promise.all([fetch('sw.js', {cache: 'no-store'}).then(function (answer) {
                return answer.ok ? answer.text() : '';
            }), caches.keys()]).then(function (found) {
                var named = /CACHE = '([^']+)'/.exec(found[0]);
                if (!named || found[1].indexOf(named[1]) >= 0) {
                    isCurrent();
                }
            }, isCurrent);
        }
        // A returning page's worker is looked up, not registered again:
        // registering waits in the worker's queue of jobs, seconds at times.
        var known = returning ? workers.getRegistration() : Promise.resolve(null);
        known.then(function (registration) {
            return registration || workers.register('sw.js', {updateViaCache: 'none'});
        }).then(function (registration) {
            registration.addEventListener('updatefound', function () {
                follow(registration.installing);
            });
            follow(registration.installing);
            follow(registration.waiting);
            // The browser checks a known worker only some time after the
            // page has loaded; this asks now. Whether a new version is out
            // is the server's answer above: Firefox may settle this before
            // the new worker shows as installing.
            return registration.update();
        }).then(null, isCurrent); // offline, or no worker where the page is not a secure context
    }

    window.LumivarBoot = {
        fail: fail,
        started: function () {
            ready = true;
        },
        // Runs `show` once the page is known to be the current version.
        whenCurrent: function (show) {
            if (current) {
                show();
            } else {
                held.push(show);
            }
        },
    };
    if ('serviceWorker' in navigator) {
        watchUpdates();
    } else {
        current = true;
    }
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
    load('bridge.js', function () {
        load('app.js', function () {
            load('lumivar.js', null, 'module');
        }, 'fault');
    }, 'fault');
})();
