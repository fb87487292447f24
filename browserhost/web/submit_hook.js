// Runs in the page's own world before the page's scripts: a script's form.submit() first
// announces itself to the page bridge (which may hold it until the host has seen the data) and
// goes on only when the bridge does not take it over.
(function () {
    'use strict';
    const proto = HTMLFormElement.prototype;
    const original = proto.submit;
    const dispatch = EventTarget.prototype.dispatchEvent;
    const call = Reflect.apply;
    const Announcement = Event;
    const hooked = {
        submit() {
            const announcement = new Announcement('%SUBMIT_EVENT%', { cancelable: true });
            if (call(dispatch, this, [announcement])) {
                return call(original, this, []);
            }
            return undefined;
        },
    }.submit;
    Object.defineProperty(proto, 'submit',
                          { value: hooked, writable: true, configurable: true, enumerable: true });
})();
