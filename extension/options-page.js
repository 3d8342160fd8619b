// The remembered answers, each withdrawable, and the administrator's lists.
import { ALLOWED, forget, policy, rememberedAnswers } from "./consent.js";

function row(table, origin, text, action) {
  const tr = table.tBodies[0].insertRow();
  tr.dataset.origin = origin;
  tr.insertCell().textContent = origin;
  tr.insertCell().textContent = text;
  const cell = tr.insertCell();
  if (action) {
    const button = document.createElement("button");
    button.textContent = "Withdraw";
    button.addEventListener("click", action);
    cell.append(button);
  }
}

async function show() {
  const answers = document.getElementById("answers");
  answers.tBodies[0].replaceChildren();
  const origins = await rememberedAnswers();
  for (const [origin, answer] of Object.entries(origins)) {
    row(answers, origin, answer === ALLOWED ? "allowed" : "not allowed", async () => {
      await forget(origin);
      await show();
    });
  }
  document.getElementById("none").hidden = Object.keys(origins).length > 0;

  const table = document.getElementById("policy");
  table.tBodies[0].replaceChildren();
  const { allowed, blocked } = await policy();
  for (const origin of allowed) row(table, origin, "always allowed");
  for (const origin of blocked) row(table, origin, "never allowed");
  document.getElementById("no-policy").hidden = allowed.length + blocked.length > 0;
}

show();
