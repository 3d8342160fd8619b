// Which sites may read health cards: the administrator's policy first (managed storage
// keys allowedOrigins and blockedOrigins), then the user's remembered answer per origin.
export const api = globalThis.browser ?? globalThis.chrome;

export const ALLOWED = "allowed";
export const REFUSED = "refused";
export const BLOCKED = "blocked";

// Only secure sites, and the local machine for development, can ask at all.
export function canAsk(origin) {
  let url;
  try {
    url = new URL(origin);
  } catch {
    return false;
  }
  if (url.origin !== origin) return false;
  if (url.protocol === "https:") return true;
  return url.protocol === "http:" && (url.hostname === "localhost" || url.hostname === "127.0.0.1");
}

export async function policy() {
  let managed = {};
  try {
    managed = (await api.storage.managed.get(["allowedOrigins", "blockedOrigins"])) ?? {};
  } catch {
    // No policy installed.
  }
  const list = (value) => (Array.isArray(value) ? value.filter((item) => typeof item === "string") : []);
  return { allowed: list(managed.allowedOrigins), blocked: list(managed.blockedOrigins) };
}

export async function rememberedAnswers() {
  const { origins } = await api.storage.local.get("origins");
  return origins && typeof origins === "object" ? origins : {};
}

export async function remember(origin, answer) {
  const origins = await rememberedAnswers();
  origins[origin] = answer;
  await api.storage.local.set({ origins });
}

export async function forget(origin) {
  const origins = await rememberedAnswers();
  delete origins[origin];
  await api.storage.local.set({ origins });
}

// The decision that stands for origin without asking: ALLOWED, REFUSED, BLOCKED, or
// null when the user must be asked.
export async function standingDecision(origin) {
  const { allowed, blocked } = await policy();
  if (blocked.includes(origin)) return BLOCKED;
  if (allowed.includes(origin)) return ALLOWED;
  const answer = (await rememberedAnswers())[origin];
  return answer === ALLOWED || answer === REFUSED ? answer : null;
}
