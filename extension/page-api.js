// window.kavrinHealthCard: the page's side of the extension. Runs in the page's own
// world; it holds nothing but the calls in flight and talks only to relay.js, through
// messages to this same window.
(() => {
  "use strict";
  if (window.kavrinHealthCard) return;

  const REQUEST = "kavrin-health-card-request";
  const ANSWER = "kavrin-health-card-answer";
  const pending = new Map();
  const prefix = Math.random().toString(36).slice(2);
  let next = 0;

  window.addEventListener("message", (event) => {
    const data = event.data;
    if (event.source !== window || !data || data.channel !== ANSWER || !pending.has(data.id)) return;
    const { resolve, reject } = pending.get(data.id);
    pending.delete(data.id);
    if (data.error) reject({ error: data.error });
    else resolve(data.result);
  });

  function call(name, args) {
    return new Promise((resolve, reject) => {
      const id = `${prefix}-${++next}`;
      pending.set(id, { resolve, reject });
      window.postMessage({ channel: REQUEST, id, call: name, args }, window.location.origin);
    });
  }

  const api = {
    // The names of the smart card readers.
    listReaders: () => call("listReaders").then((answer) => answer.readers),
    // The card's four blocks, and on request their verification and the origin check,
    // exactly as `kavrin-hc read --json` gives them.
    read: ({ reader, cardId, verify, checkOrigin, trustAnchors } = {}) =>
      call("read", { reader, cardId, verify, checkOrigin, trustAnchors }),
    // The system's text for an error code (a number, or "0x" and eight hex digits).
    errorMessage: (code) => call("errorMessage", { code }).then((answer) => answer.message),
  };
  Object.defineProperty(window, "kavrinHealthCard", { value: Object.freeze(api), enumerable: false });
})();
