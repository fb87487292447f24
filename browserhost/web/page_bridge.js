// The page side of the page bridge. Runs in an isolated world of every frame, so the page can
// neither see nor change it, and its view of the DOM uses the browser's own prototypes whatever
// the page redefines. It reports bounded snapshots of the document, the user's changes to
// controls, and form clicks, submits and resets (in the capture phase); it holds a submission
// until the host has seen it, and carries out the writes the host sends, in order.
// The top frame owns the channel to the host; frames of the same origin report through it.
// Frames of another origin cannot reach it: they write their messages to their own console,
// which only the host reads, under the window's key, and the top frame posts the host's writes
// to their window, where only their bridge takes them.
(function () {
    'use strict';

    const SUBMIT_EVENT = '%SUBMIT_EVENT%';
    // The window's key on console messages: it never leaves this world and the console.
    const CHANNEL_KEY = '%CHANNEL_KEY%';
    // The mark on the host's writes posted to a frame of another origin.
    const HOST_WRITES = '__veltrixHostWrites';
    // Characters of one console piece (the host takes at most 256 Ki).
    const PIECE_CHARS = 200000;
    // How long a held submission waits for the host before it goes on unseen.
    const RELEASE_UNANSWERED_MS = 10000;
    const LIMITS = {
        nodes: 50000,      // nodes reported
        visits: 400000,    // nodes looked at
        depth: 500,        // element nesting
        textRun: 2048,     // characters of one text or attribute value
        value: 65536,      // characters of a control's value
        totalText: 2000000,
        attributes: 64,
        millis: 400,       // time one snapshot may take
        mutationsLooked: 500,
        markup: 8 << 20,   // characters of a document's markup sent whole
        carried: 16384,    // characters of a message the channel carries once the page has loaded
        waiting: 64,       // messages kept for the host to take
    };
    const CONTROLS = new Set(['input', 'textarea', 'select', 'button', 'fieldset', 'object',
                              'output']);
    const NO_CONTENT = new Set(['script', 'style', 'noscript', 'template', 'svg', 'math']);
    const FORM_PARTS = 'form,input,select,textarea,button,iframe,frame,label';
    const NAMED = 'form,input,select,option,textarea,button';
    const TAG_CODES = { form: 'f', input: 'i', select: 's', option: 'o', textarea: 't', button: 'b' };
    const FormProto = HTMLFormElement.prototype;
    const ElementProto = Element.prototype;
    // A form's controls named like its own members ("action", "elements", "appendChild") hide
    // them: what the bridge does to a form it does through the prototypes.
    function getter(proto, name) {
        const get = Object.getOwnPropertyDescriptor(proto, name).get;
        return (object) => get.call(object);
    }
    const formElements = getter(FormProto, 'elements');
    const isConnected = getter(Node.prototype, 'isConnected');
    const appendChild = (parent, child) => Node.prototype.appendChild.call(parent, child);

    function newToken() {
        return Array.from(crypto.getRandomValues(new Uint32Array(2)), (n) => n.toString(36))
            .join('');
    }
    let token = newToken();
    const keys = new WeakMap();
    // Key -> element, for the elements the host may name: those of the last snapshot, and those
    // named since. Each full snapshot starts it again, so removed elements are let go.
    const elements = new Map();
    let nextKey = 1;
    let executing = 0;           // > 0 while the host's writes run: their events are not reported
    const held = new Map();      // submission number -> {form, submitter}
    let nextSubmission = 1;

    // Only the elements the host writes to or names in events can be found again by key.
    const WRITABLE = new Set(['form', 'input', 'select', 'option', 'textarea', 'button']);

    function keyOf(element) {
        let key = keys.get(element);
        if (key === undefined) {
            key = nextKey++;
            keys.set(element, key);
        }
        if (WRITABLE.has(element.localName)) {
            elements.set(key, element);
            if (elements.size > LIMITS.nodes * 2) {
                forgetRemoved();
            }
        }
        return key;
    }

    // Between snapshots a page may name ever more new elements in its events: the removed ones go.
    function forgetRemoved() {
        for (const [key, element] of elements) {
            if (!element.isConnected) {
                elements.delete(key);
            }
        }
    }

    function elementOf(key) {
        const element = elements.get(key);
        return element && element.isConnected ? element : null;
    }

    // "" for the top frame, else the frame's position under each ancestor ("0/2").
    function frameKey() {
        const parts = [];
        let w = window;
        for (let level = 0; level < 16; level++) {
            const parent = w.parent;
            if (parent === w) {
                return parts.join('/');
            }
            let i = 0;
            const count = parent.frames.length;
            while (i < count && parent.frames[i] !== w) {
                i++;
            }
            parts.unshift(i);
            w = parent;
        }
        return null;
    }

    // ---- The channel ----

    const isTop = window === window.top;
    const self = { token: token, apply: applyOps };
    let send = () => {};
    let parentToken = '';
    if (isTop) {
        const queue = [];
        let endpoint = null;
        // A large message sent once the page has loaded waits here for the host to take it
        // (`__veltrixTake`): a script call's result reaches the host several times faster than the
        // channel carries the same text. While the page loads the host's calls wait for the load,
        // so messages go by the channel until then.
        const waiting = new Map();
        let nextWaiting = 1;
        window.__veltrixTake = (number) => {
            const message = waiting.get(number);
            waiting.delete(number);
            // When it was taken: the host counts the way from here, not the page's work before.
            return message ? [message[0], message[1], now()] : null;
        };
        const deliver = (text, markup) => {
            if (text.length + markup.length > LIMITS.carried && document.readyState === 'complete') {
                if (waiting.size >= LIMITS.waiting) {
                    waiting.delete(waiting.keys().next().value);  // never taken: the host has gone
                }
                waiting.set(nextWaiting, [text, markup]);
                endpoint.pull(nextWaiting++);
            } else if (markup) {
                endpoint.reportDocument(text, markup);
            } else {
                endpoint.report(text);
            }
        };
        send = (message, markup) => {
            const text = JSON.stringify(message);
            if (endpoint) {
                deliver(text, markup);
            } else {
                queue.push([text, markup]);
            }
        };
        const frames = new Map();
        window.__veltrixTop = {
            relay: (message, markup) => send(message, markup),
            register: (key, api) => frames.set(key, api),
        };
        window.__veltrixRun = (batches) => {
            for (const [frame, doc, ops, origin] of batches) {
                const api = frame === '' ? self : frames.get(frame);
                if (api && api.token === doc) {
                    api.apply(ops);
                } else if (frame !== '' && typeof origin === 'string') {
                    postToFrame(frame, doc, ops, origin);
                }
            }
        };
        if (typeof qt !== 'undefined' && qt.webChannelTransport) {
            new QWebChannel(qt.webChannelTransport, (channel) => {
                endpoint = channel.objects.bridge;
                for (const [text, markup] of queue) {
                    deliver(text, markup);
                }
                queue.length = 0;
            });
        }
    } else {
        let top = null;
        try {
            top = window.top.__veltrixTop || null;
            parentToken = window.parent.__veltrixSelf ? window.parent.__veltrixSelf.token : '';
        } catch (e) {
            top = null;  // another origin: no way to the host
        }
        if (top) {
            const key = frameKey();
            if (key !== null) {
                top.register(key, self);
            }
            send = (message, markup) => top.relay(message, markup);
        } else {
            send = sendThroughConsole;
            window.addEventListener('message', onHostWrites, true);
        }
    }
    window.__veltrixSelf = self;

    // The window of the frame `key` ("0/2": the third frame of the first), seen from the top.
    function frameWindow(key) {
        let w = window;
        for (const part of key.split('/')) {
            const i = Number(part);
            if (!Number.isInteger(i) || i < 0 || i >= w.frames.length) {
                return null;
            }
            w = w.frames[i];
        }
        return w;
    }

    // The host's writes to a frame of another origin. `origin` is the frame's origin as its
    // bridge reported it: a frame that went elsewhere meanwhile does not get them.
    function postToFrame(key, doc, ops, origin) {
        const target = frameWindow(key);
        if (target) {
            try {
                target.postMessage([HOST_WRITES, key, doc, ops], origin);
            } catch (e) {
                // an origin postMessage refuses
            }
        }
    }

    // Only the top frame's bridge posts the host's writes, and only for this document.
    function onHostWrites(event) {
        const data = event.data;
        if (event.source !== window.top || !Array.isArray(data) || data[0] !== HOST_WRITES) {
            return;
        }
        // The page has no business with them.
        event.stopImmediatePropagation();
        const [, key, doc, ops] = data;
        if (key === frameKey() && doc === token && Array.isArray(ops)) {
            applyOps(ops);
        }
    }

    const consoleLog = console.log.bind(console);
    const sender = newToken();
    let nextMessage = 1;

    // "vtxb KEY SENDER ID INDEX COUNT ORIGIN LENGTH TEXT", in pieces the host joins: the
    // message, then a snapshot's markup, LENGTH the characters of the message.
    function sendThroughConsole(message, markup) {
        const json = JSON.stringify(message);
        const text = markup ? json + markup : json;
        const head = 'vtxb ' + CHANNEL_KEY + ' ' + sender + ' ' + nextMessage++ + ' ';
        const pieces = [];
        for (let at = 0; at < text.length || pieces.length === 0;) {
            let end = Math.min(text.length, at + PIECE_CHARS);
            // A piece never ends between the two halves of a character.
            const last = text.charCodeAt(end - 1);
            if (end < text.length && last >= 0xd800 && last <= 0xdbff) {
                end--;
            }
            pieces.push(text.slice(at, end));
            at = end;
        }
        // The document's own origin: "null" in a sandbox, whatever its address.
        const tail = ' ' + pieces.length + ' ' + window.origin + ' ' + json.length + ' ';
        pieces.forEach((piece, index) => consoleLog(head + index + tail + piece));
    }

    function report(type, fields, markup) {
        const message = { t: type, frame: frameKey(), doc: token, parent: parentToken };
        Object.assign(message, fields);
        send(message, markup || '');
    }

    // ---- Snapshots ----

    function cut(text, limit) {
        if (typeof text !== 'string') {
            return null;
        }
        if (text.length <= limit) {
            return text;
        }
        // A label sits next to its control: both ends of a long run are kept.
        const half = limit >> 1;
        return text.slice(0, half) + text.slice(text.length - half);
    }

    function controlState(element, tag) {
        if (tag === 'input') {
            const type = (element.type || '').toLowerCase();
            const checkable = type === 'checkbox' || type === 'radio';
            return [cut(element.value, LIMITS.value), checkable ? element.checked : null, null];
        }
        if (tag === 'textarea') {
            return [cut(element.value, LIMITS.value), null, null];
        }
        return 0;
    }

    // Whether the forms may have changed since the last snapshot.
    let touched = true;
    // The browser's serialisation of an HTML document reads back into the same tree; the host
    // says when it did not, and the document is then sent node by node.
    let markupReadable = document.contentType === 'text/html';

    // Milliseconds since the epoch, for the host's measure of a snapshot's way to it.
    function now() {
        return performance.timeOrigin + performance.now();
    }

    // The document's markup, which the browser writes far faster than a walk here visits its
    // nodes, with the keys and the live state of the elements the host names beside it.
    function markupSnapshot(reason, started) {
        const root = document.documentElement;
        const count = root ? document.getElementsByTagName('*').length : 0;
        if (!root || count > LIMITS.nodes) {
            return false;
        }
        const markup = root.outerHTML;
        if (markup.length > LIMITS.markup) {
            return false;
        }
        const controls = describeControls(document.querySelectorAll(NAMED));
        report('doc', {
            reason: reason,
            url: location.href,
            title: document.title,
            complete: true,
            ms: performance.now() - started,
            sent: now(),
            elements: count,
            controls: controls,
        }, markup);
        return true;
    }

    // The elements the host names, in document order, told in as few characters as will do,
    // since a page may have thousands: a letter each for the tag and the checked or selected
    // state, their keys as runs of consecutive numbers, and only what the markup does not
    // already say: a value the page or the user changed, a form owner other than the form the
    // element is in.
    function describeControls(list) {
        let tags = '';
        const keys = [];
        const values = [];
        const owners = [];
        let runStart = 0;
        let runLength = 0;
        for (let index = 0; index < list.length; index++) {
            const element = list[index];
            const tag = element.localName;
            const key = keyOf(element);
            if (runLength && key === runStart + runLength) {
                runLength++;
            } else {
                if (runLength) {
                    keys.push(runStart, runLength);
                }
                runStart = key;
                runLength = 1;
            }
            // An element of another namespace with one of these names has none of their state.
            let code = TAG_CODES[tag];
            if (tag === 'input' || tag === 'textarea') {
                if (element.checked === true) {
                    code = 'I';
                }
                const value = element.value;
                if (typeof value === 'string' && value !== element.defaultValue) {
                    values.push(index, cut(value, LIMITS.value));
                }
            } else if (tag === 'option' && element.selected === true) {
                code = 'O';
            }
            if (tag !== 'form' && tag !== 'option') {
                const form = element.form;
                if (form !== undefined && form !== element.closest('form')) {
                    owners.push(index, form ? keyOf(form) : 0);
                }
            }
            tags += code;
        }
        if (runLength) {
            keys.push(runStart, runLength);
        }
        return { tags: tags, keys: keys, values: values, owners: owners };
    }

    // `nodeByNode`: the host could not use the markup of this document.
    function snapshot(reason, nodeByNode) {
        const started = performance.now();
        if (reason === 'load' && !touched && !nodeByNode) {
            report('doc', { reason: reason, url: location.href, title: document.title,
                            unchanged: true, ms: performance.now() - started, sent: now(),
                            nodes: [] });
            return;
        }
        touched = false;
        elements.clear();
        if (nodeByNode) {
            markupReadable = false;
        } else if (markupReadable && markupSnapshot(reason, started)) {
            return;
        }
        const nodes = [];
        const index = new Map();
        let text = 0;
        let visits = 0;
        let complete = true;
        const root = document.documentElement;
        // A walk along first children and next siblings: no recursion, no list of children.
        const open = [];  // [node, its index] of the elements whose children are being walked
        let node = root;
        while (node) {
            visits++;
            if (nodes.length >= LIMITS.nodes || visits > LIMITS.visits ||
                ((visits & 1023) === 0 && performance.now() - started > LIMITS.millis)) {
                complete = false;
                break;
            }
            const parent = open.length ? open[open.length - 1][1] : -1;
            let enter = false;
            if (node.nodeType === 3) {
                if (node.data && text < LIMITS.totalText) {
                    const run = cut(node.data, LIMITS.textRun);
                    text += run.length;
                    nodes.push([parent, run]);
                }
            } else if (node.nodeType === 1 && node.localName) {
                const tag = node.localName;
                const attributes = [];
                // Names and values without attribute nodes, which the browser makes on demand.
                const names = node.getAttributeNames();
                const count = Math.min(names.length, LIMITS.attributes);
                for (let i = 0; i < count && text < LIMITS.totalText; i++) {
                    const value = cut(node.getAttribute(names[i]), LIMITS.textRun);
                    text += value.length;
                    attributes.push(names[i], value);
                }
                let state = 0;
                let owner = -1;
                if (CONTROLS.has(tag)) {
                    state = controlState(node, tag);
                    const form = node.form;
                    if (form && index.has(form)) {
                        owner = index.get(form);
                    }
                } else if (tag === 'option') {
                    state = [null, null, node.selected];
                }
                if (tag === 'form') {
                    index.set(node, nodes.length);
                }
                // Elements the host never names have no number (0).
                nodes.push([parent, WRITABLE.has(tag) ? keyOf(node) : 0, tag, attributes, state,
                            owner]);
                enter = !NO_CONTENT.has(tag) && open.length < LIMITS.depth && node.firstChild;
            }
            if (enter) {
                open.push([node, nodes.length - 1]);
                node = node.firstChild;
                continue;
            }
            while (node && !node.nextSibling) {
                const up = open.pop();
                node = up ? up[0] : null;
            }
            node = node && node !== root ? node.nextSibling : null;
        }
        report('doc', {
            reason: reason,
            url: location.href,
            title: document.title,
            complete: complete,
            ms: performance.now() - started,
            sent: now(),
            nodes: nodes,
        });
    }

    // ---- The user's changes, events and submissions ----

    const dirty = new Set();
    let stateTimer = 0;

    function stateOf(list) {
        const entries = [];
        for (const element of list) {
            if (entries.length >= LIMITS.nodes) {
                break;
            }
            const tag = element.localName;
            if (tag === 'select') {
                for (const option of element.options) {
                    entries.push([keyOf(option), null, null, option.selected]);
                }
            } else {
                const state = controlState(element, tag);
                if (state) {
                    entries.push([keyOf(element), state[0], state[1], null]);
                }
            }
        }
        return entries;
    }

    function flushState() {
        clearTimeout(stateTimer);
        stateTimer = 0;
        if (dirty.size) {
            const list = Array.from(dirty).filter((element) => element.isConnected);
            dirty.clear();
            report('state', { state: stateOf(list) });
        }
    }

    function noteChange(event) {
        const target = event.target;
        if (executing || !target || target.nodeType !== 1) {
            return;
        }
        dirty.add(target);
        if (!stateTimer) {
            stateTimer = setTimeout(flushState, 100);
        }
    }

    function formOf(element) {
        return element.form || (element.closest ? element.closest('form') : null);
    }

    // New elements the host has not seen yet go to it before an event that names them.
    function knownToHost(element) {
        if (changeTimer || !keys.has(element)) {
            clearTimeout(changeTimer);
            changeTimer = 0;
            snapshot('change');
        }
    }

    function onClick(event) {
        // A click inside a button or a control counts as the control's.
        const inner = event.target;
        if (executing || !inner || inner.nodeType !== 1) {
            return;
        }
        const target = inner.closest('button,input,select,textarea,option') || inner;
        if (!WRITABLE.has(target.localName)) {
            return;
        }
        const form = formOf(target);
        if (!form) {
            return;
        }
        knownToHost(target);
        flushState();
        const list = Array.from(form.elements);
        list.push(target);
        report('event', { kind: 'click', node: keyOf(target), state: stateOf(list) });
    }

    function onReset(event) {
        const form = event.target;
        if (executing || !(form instanceof HTMLFormElement)) {
            return;
        }
        knownToHost(form);
        flushState();
        report('event', { kind: 'reset', node: keyOf(form), state: [] });
    }

    function hold(form, submitter, byUser) {
        knownToHost(form);
        flushState();
        const number = nextSubmission++;
        held.set(number, { form: form, submitter: submitter });
        // An answer lost on the way must never keep the page's submission: it goes on by itself.
        setTimeout(() => release(number), RELEASE_UNANSWERED_MS);
        report('submit', {
            id: number,
            form: keyOf(form),
            submitter: submitter ? keyOf(submitter) : 0,
            user: byUser,
            state: stateOf(Array.from(formElements(form))),
        });
    }

    // The last word on a user's submit: unless the page prevents it, it waits for the host. The
    // page's own listeners run first wherever they are, and one that stops the propagation must
    // not keep the submission from us: as the submit event sets out (our capture listener on
    // window runs before any of the page's), a listener of ours goes last on every node of its
    // way. The one on the node where the event stops (the window when nothing stops it) holds
    // the submission, unless the page prevented it by then. A page listener that stops the
    // event at once (stopImmediatePropagation) before ours on a node keeps ours from running:
    // that submission goes on unheld and the host sees it only as its navigation begins.
    let watched = null;  // {event, nodes}: the user's submit under way and where we listen

    function unwatch() {
        if (!watched) {
            return;
        }
        for (const node of watched.nodes) {
            node.removeEventListener('submit', onSubmitCapturing, true);
            node.removeEventListener('submit', onSubmitBubbling, false);
        }
        watched = null;
    }

    function watchSubmit(event) {
        unwatch();
        const form = event.target;
        // A submit event a script dispatches submits nothing: holding it would.
        if (executing || !event.isTrusted || !(form instanceof HTMLFormElement)) {
            return;
        }
        // The values the user typed reach the host even when the submission escapes us.
        flushState();
        const path = event.composedPath();
        watched = { event: event, nodes: path };
        for (const node of path) {
            if (node !== window && node !== form) {
                node.addEventListener('submit', onSubmitCapturing, true);
            }
            node.addEventListener('submit', onSubmitBubbling, false);
        }
        // An event the page stopped at once never reaches ours: they go once its dispatch is over.
        setTimeout(() => {
            if (watched && watched.event === event) {
                unwatch();
            }
        }, 0);
    }

    // On the way down: only where the page stopped the event does the submission stop with us.
    function onSubmitCapturing(event) {
        if (watched && event === watched.event && event.cancelBubble) {
            holdSubmit(event);
        }
    }

    // At the form and on the way up: the last node the event reaches holds the submission.
    function onSubmitBubbling(event) {
        if (watched && event === watched.event &&
            (event.cancelBubble || event.currentTarget === window)) {
            holdSubmit(event);
        }
    }

    function holdSubmit(event) {
        unwatch();
        if (event.defaultPrevented) {
            return;  // the page keeps its submission to itself
        }
        event.preventDefault();
        hold(event.target, event.submitter || null, true);
    }

    // A script's form.submit(), announced by the hook in the page's world.
    function onScriptSubmit(event) {
        const form = event.target;
        if (executing || !(form instanceof HTMLFormElement)) {
            return;
        }
        event.preventDefault();
        hold(form, null, false);
    }

    // The host has seen the submission: it goes on as the page made it.
    function release(number) {
        const submission = held.get(number);
        held.delete(number);
        if (!submission || !isConnected(submission.form)) {
            return;
        }
        const form = submission.form;
        const submitter = submission.submitter;
        const added = [];
        if (submitter && submitter.name && !submitter.disabled) {
            const image = submitter.type === 'image';
            for (const [name, value] of image ? [[submitter.name + '.x', '0'],
                                                 [submitter.name + '.y', '0']]
                                              : [[submitter.name, submitter.value]]) {
                const input = document.createElement('input');
                input.type = 'hidden';
                input.name = name;
                input.value = value;
                appendChild(form, input);
                added.push(input);
            }
        }
        const restore = submitter ? takeOverrides(form, submitter) : [];
        try {
            FormProto.submit.call(form);
        } finally {
            for (const [name, value] of restore) {
                if (value === null) {
                    ElementProto.removeAttribute.call(form, name);
                } else {
                    ElementProto.setAttribute.call(form, name, value);
                }
            }
            for (const input of added) {
                input.remove();
            }
        }
    }

    // A submit button may send the form elsewhere, another way: its formaction, formmethod,
    // formenctype and formtarget stand in for the form's own attributes while it submits. The
    // form's attributes as they were, to put back at once.
    const OVERRIDES = [['formaction', 'action'], ['formmethod', 'method'],
                       ['formenctype', 'enctype'], ['formtarget', 'target']];

    function takeOverrides(form, submitter) {
        const restore = [];
        for (const [own, formName] of OVERRIDES) {
            if (submitter.hasAttribute(own)) {
                restore.push([formName, ElementProto.getAttribute.call(form, formName)]);
                ElementProto.setAttribute.call(form, formName, submitter.getAttribute(own));
            }
        }
        return restore;
    }

    // ---- The host's writes ----

    function fire(element, type) {
        element.dispatchEvent(new Event(type, { bubbles: true }));
    }

    function applyOne(op) {
        const kind = op[0];
        if (kind === 'go') {
            release(op[1]);
            return;
        }
        if (kind === 'snapshot') {
            snapshot('change');
            return;
        }
        if (kind === 'walk') {
            snapshot(op[1] === 'ready' || op[1] === 'load' ? op[1] : 'change', true);
            return;
        }
        const element = elementOf(op[1]);
        if (!element) {
            return;
        }
        switch (kind) {
            case 'value':
                element.value = op[2];
                fire(element, 'input');
                fire(element, 'change');
                break;
            case 'checked':
                element.checked = !!op[2];
                fire(element, 'change');
                break;
            case 'selected': {
                element.selected = !!op[2];
                const list = element.closest('select');
                if (list) {
                    fire(list, 'change');
                }
                break;
            }
            case 'background':
                element.style.backgroundColor = op[2];
                break;
            case 'attribute':
                try {
                    element.setAttribute(op[2], op[3]);
                } catch (e) {
                    // a name the page's DOM refuses
                }
                break;
            case 'reset':
                FormProto.reset.call(element);
                break;
            case 'click':
                element.click();
                break;
            case 'submit':
                FormProto.submit.call(element);
                break;
        }
    }

    function applyOps(ops) {
        executing++;
        try {
            for (const op of ops) {
                try {
                    applyOne(op);
                } catch (e) {
                    // one write the page's state refuses does not stop the others
                }
            }
        } finally {
            executing--;
        }
    }

    // ---- The page's own changes ----

    let changeTimer = 0;
    let lastChange = 0;

    function touchesForms(records) {
        let looked = 0;
        for (const record of records) {
            for (const list of [record.addedNodes, record.removedNodes]) {
                for (const node of list) {
                    if (++looked > LIMITS.mutationsLooked) {
                        return true;
                    }
                    if (node.nodeType === 1 &&
                        (node.matches(FORM_PARTS) || node.querySelector(FORM_PARTS))) {
                        return true;
                    }
                }
            }
        }
        return false;
    }

    // Settled changes go to the host at most once a second.
    function scheduleChange() {
        if (changeTimer) {
            return;
        }
        const wait = Math.max(150, lastChange + 1000 - performance.now());
        changeTimer = setTimeout(() => {
            changeTimer = 0;
            lastChange = performance.now();
            snapshot('change');
        }, wait);
    }

    const observer = new MutationObserver((records) => {
        if (touchesForms(records)) {
            touched = true;
            if (loaded) {
                scheduleChange();
            }
        }
    });
    let loaded = false;

    // ---- Start ----

    window.addEventListener('click', onClick, true);
    window.addEventListener('reset', onReset, true);
    window.addEventListener('input', noteChange, true);
    window.addEventListener('change', noteChange, true);
    window.addEventListener('submit', watchSubmit, true);
    window.addEventListener(SUBMIT_EVENT, onScriptSubmit, true);

    // A new document for the host; its forms come with the load, when the page is idle.
    function announce() {
        report('doc', { reason: 'ready', url: location.href, title: document.title, ms: 0,
                        sent: now(), nodes: [] });
    }

    function onReady() {
        if (isTop) {
            announce();
        }
        observer.observe(document, { childList: true, subtree: true });
    }
    function onLoad() {
        loaded = true;
        flushState();
        clearTimeout(changeTimer);
        changeTimer = 0;
        snapshot('load');
    }
    // A page the browser shows again from its cache is a new document for the host.
    window.addEventListener('pageshow', (event) => {
        if (event.persisted) {
            token = newToken();
            self.token = token;
            touched = true;
            if (isTop) {
                announce();
            }
            snapshot('load');
        }
    });
    if (document.readyState === 'loading') {
        document.addEventListener('DOMContentLoaded', onReady, { once: true });
    } else {
        onReady();
    }
    if (document.readyState === 'complete') {
        onLoad();
    } else {
        window.addEventListener('load', onLoad, { once: true });
    }
})();
