// The prompt that names the asking site; the answer is stored per origin.
import { ALLOWED, REFUSED, canAsk, remember } from "./consent.js";

const origin = new URLSearchParams(location.search).get("origin") ?? "";
document.getElementById("origin").textContent = origin;

async function answer(decision) {
  if (canAsk(origin)) await remember(origin, decision);
  window.close();
}

document.getElementById("allow").addEventListener("click", () => answer(ALLOWED));
document.getElementById("refuse").addEventListener("click", () => answer(REFUSED));
