// The extension's service worker: decides whether the asking site may read health cards,
// asks the user when nobody has decided yet, and passes allowed calls to the native host.
import { ALLOWED, BLOCKED, api, canAsk, standingDecision } from "./consent.js";

const HOST = "org.kavrin.hc";
const E_ACCESSDENIED = "0x80070005";
const E_FILENOTFOUND = "0x80070002";
const E_FAIL = "0x80004005";
const E_INVALIDARG = "0x80070057";

const failure = (hresult, message) => ({ error: { hresult, message } });

// One prompt per origin at a time; calls that arrive meanwhile wait for the same answer.
const prompts = new Map();

function askUser(origin) {
  if (prompts.has(origin)) return prompts.get(origin);
  const answer = new Promise((resolve) => {
    const url = `${api.runtime.getURL("consent.html")}?origin=${encodeURIComponent(origin)}`;
    let windowId = null;
    const finish = (decision) => {
      api.storage.onChanged.removeListener(onStored);
      api.windows.onRemoved.removeListener(onClosed);
      prompts.delete(origin);
      resolve(decision);
    };
    // The prompt page stores the user's answer itself, so that it outlives this worker.
    const onStored = (changes, area) => {
      const decision = area === "local" && changes.origins?.newValue?.[origin];
      if (decision) finish(decision);
    };
    // Closing the prompt without answering refuses this call and remembers nothing.
    const onClosed = (closed) => {
      if (closed === windowId) finish(null);
    };
    api.storage.onChanged.addListener(onStored);
    api.windows.onRemoved.addListener(onClosed);
    api.windows.create({ url, type: "popup", width: 480, height: 320 }).then(
      (created) => (windowId = created.id),
      () => finish(null),
    );
  });
  prompts.set(origin, answer);
  return answer;
}

async function mayRead(origin) {
  const standing = await standingDecision(origin);
  if (standing === BLOCKED) return failure(E_ACCESSDENIED, "The administrator does not allow this site to read health cards.");
  if ((standing ?? (await askUser(origin))) === ALLOWED) return null;
  return failure(E_ACCESSDENIED, "The user did not allow this site to read health cards.");
}

function hostRequest(call, args) {
  const given = args && typeof args === "object" ? args : {};
  switch (call) {
    case "listReaders":
      return { request: "listReaders" };
    case "read": {
      const request = { request: "read" };
      for (const name of ["reader", "cardId", "verify", "checkOrigin", "trustAnchors"]) {
        if (given[name] !== undefined) request[name] = given[name];
      }
      return request;
    }
    case "errorMessage":
      return { request: "errorMessage", code: given.code };
    default:
      return null;
  }
}

async function callHost(request) {
  try {
    return await api.runtime.sendNativeMessage(HOST, request);
  } catch (error) {
    const text = String(error?.message ?? error);
    if (/not found|No such native application/i.test(text)) {
      return failure(E_FILENOTFOUND, `The health card host (${HOST}) is not installed on this computer.`);
    }
    if (/forbidden/i.test(text)) return failure(E_ACCESSDENIED, `The health card host (${HOST}) does not admit this extension.`);
    return failure(E_FAIL, `The health card host (${HOST}) failed: ${text}`);
  }
}

function originOf(sender) {
  if (sender.origin) return sender.origin;
  try {
    return new URL(sender.url).origin;
  } catch {
    return "";
  }
}

async function handle(message, sender) {
  const origin = originOf(sender);
  if (!canAsk(origin)) return failure(E_ACCESSDENIED, "Only https: sites and http://localhost can read health cards.");
  const request = hostRequest(message?.call, message?.args);
  if (!request) return failure(E_INVALIDARG, "The extension offers listReaders, read and errorMessage.");
  // An error code's text carries nothing of the card: no consent needed for it.
  if (request.request !== "errorMessage") {
    const refusal = await mayRead(origin);
    if (refusal) return refusal;
  }
  const answer = await callHost(request);
  if (!answer || typeof answer !== "object") return failure(E_FAIL, `The health card host (${HOST}) gave no answer.`);
  return answer.error ? { error: answer.error } : { result: answer };
}

api.runtime.onMessage.addListener((message, sender, sendResponse) => {
  // Only this extension's own content scripts, in a tab, speak for a site.
  if (sender.id !== api.runtime.id || !sender.tab) return false;
  handle(message, sender).then(sendResponse, (error) => sendResponse(failure(E_FAIL, String(error?.message ?? error))));
  return true;
});
