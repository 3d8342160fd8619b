// Carries the page's calls to the extension's service worker and the answers back. The
// worker, not the page, decides which site is asking (from the sender of the message).
(() => {
  "use strict";
  const REQUEST = "kavrin-health-card-request";
  const ANSWER = "kavrin-health-card-answer";
  const runtime = (globalThis.browser ?? globalThis.chrome).runtime;

  window.addEventListener("message", (event) => {
    const data = event.data;
    if (event.source !== window || !data || data.channel !== REQUEST || typeof data.id !== "string") return;
    const answer = (reply) => window.postMessage({ channel: ANSWER, id: data.id, ...reply }, window.location.origin);
    runtime.sendMessage({ call: data.call, args: data.args }).then(
      (reply) => answer(reply ?? { error: { hresult: "0x80004005", message: "The health card extension gave no answer." } }),
      (error) => answer({ error: { hresult: "0x80004005", message: `The health card extension is not available: ${error.message}` } }),
    );
  });
})();
