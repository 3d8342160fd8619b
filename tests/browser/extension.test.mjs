// The extension and its native host in Chromium, against the virtual card on the bench:
// consent per origin, the same JSON as kavrin-hc, and clear errors. Run by
// scripts/suites/70-browser inside tools/bench/with-bench.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawnSync } from "node:child_process";
import { existsSync, mkdtempSync, readFileSync, readdirSync, rmSync, unlinkSync, writeFileSync } from "node:fs";
import { createServer } from "node:http";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { chromium } from "playwright-core";

const ROOT = process.env.KAVRIN_ROOT;
const CLI = process.env.KAVRIN_HC;
const HOST = process.env.KAVRIN_HC_HOST;
const CARD = join(ROOT, "tools/bench/card");
const EXTENSION = join(ROOT, "extension");
const EXTENSION_ID = "pmhpcenihdogaadjnibealonkpofemkf";
const PAGE = "/health-card.html";

let server;
let port;
let policyServer;
let policyPort; // the administrator allows localhost and blocks 127.0.0.1 on this port
let profile;
let context;
let reader;

const card = (...args) => execFileSync(CARD, args, { encoding: "utf8" }).trim();
const cliReaders = () => JSON.parse(execFileSync(CLI, ["readers", "--json"], { encoding: "utf8" })).readers;

// `kavrin-hc read --json` with the same options, as parsed JSON, and its exit status.
function cliRead(...args) {
  const run = spawnSync(CLI, ["read", "--json", ...args], { encoding: "utf8" });
  return { json: JSON.parse(run.stdout), status: run.status };
}

async function openPage(origin) {
  const page = await context.newPage();
  await page.goto(`${origin}${PAGE}`);
  return page;
}

// Calls window.kavrinHealthCard[name](arg) in the page: {resolved} or {rejected}.
function callApi(page, name, arg) {
  return page.evaluate(
    async ([name, arg]) => {
      try {
        return { resolved: await window.kavrinHealthCard[name](arg) };
      } catch (rejection) {
        return { rejected: rejection };
      }
    },
    [name, arg],
  );
}

// Starts a call and answers the extension's prompt with the button of the given id
// ("allow", "refuse"), or closes the prompt when button is null.
async function callAnsweringPrompt(page, origin, button, name, arg) {
  const promptOpened = context.waitForEvent("page", { predicate: (p) => p.url().includes("/consent.html") });
  const result = callApi(page, name, arg);
  const prompt = await promptOpened;
  await prompt.waitForLoadState();
  assert.equal(await prompt.locator("#origin").textContent(), origin);
  if (button) await prompt.click(`#${button}`);
  else await prompt.close();
  return result;
}

// Fails the test if the extension prompts while fn runs.
async function withoutPrompt(fn) {
  const onPage = (p) => {
    if (p.url().includes("/consent.html")) assert.fail(`unexpected prompt: ${p.url()}`);
  };
  context.on("page", onPage);
  try {
    return await fn();
  } finally {
    context.off("page", onPage);
  }
}

const ACCESS_REFUSED = {
  error: { hresult: "0x80070005", message: "The user did not allow this site to read health cards." },
};

function processesNamed(names) {
  const found = [];
  for (const pid of readdirSync("/proc").filter((entry) => /^\d+$/.test(entry))) {
    try {
      const comm = readFileSync(`/proc/${pid}/comm`, "utf8").trim();
      if (names.some((name) => comm.startsWith(name))) found.push(`${pid} ${comm}`);
    } catch {
      // ended meanwhile
    }
  }
  return found;
}

before(async () => {
  card("insert");
  reader = card("reader");
  server = createServer((request, response) => {
    const file = join(ROOT, "examples", PAGE);
    response.writeHead(200, { "content-type": "text/html; charset=utf-8" });
    response.end(readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, resolve));
  port = server.address().port;
  policyServer = createServer(server.listeners("request")[0]);
  await new Promise((resolve) => policyServer.listen(0, resolve));
  policyPort = policyServer.address().port;
  writeFileSync(
    join(process.env.KAVRIN_CHROMIUM_POLICIES, "kavrin-health-card.json"),
    JSON.stringify({
      "3rdparty": {
        extensions: {
          [EXTENSION_ID]: {
            allowedOrigins: [`http://localhost:${policyPort}`],
            blockedOrigins: [`http://127.0.0.1:${policyPort}`],
          },
        },
      },
    }),
  );

  profile = mkdtempSync(join(tmpdir(), "kavrin-browser-"));
  execFileSync(join(ROOT, "scripts/install-browser-host"), ["--profile", profile, "--host", HOST]);
  context = await chromium.launchPersistentContext(profile, {
    executablePath: "/usr/bin/chromium",
    headless: false,
    args: [
      "--headless=new",
      `--disable-extensions-except=${EXTENSION}`,
      `--load-extension=${EXTENSION}`,
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
    ],
  });
});

after(async () => {
  await context?.close();
  await new Promise((resolve) => server?.close(resolve));
  await new Promise((resolve) => policyServer?.close(resolve));
  if (profile) rmSync(profile, { recursive: true, force: true });
});

test("the extension is loaded under its fixed ID", async () => {
  const worker = context.serviceWorkers()[0] ?? (await context.waitForEvent("serviceworker"));
  assert.equal(new URL(worker.url()).host, EXTENSION_ID);
});

test("a site that may not ask sees no API", async () => {
  const page = await openPage(`http://127.0.0.2:${port}`);
  assert.equal(await page.evaluate(() => typeof window.kavrinHealthCard), "undefined");
  await page.close();
});

test("an allowed localhost page reads and verifies the card and gets what kavrin-hc gives", async () => {
  const origin = `http://localhost:${port}`;
  const page = await openPage(origin);
  const options = { reader, cardId: 1, verify: true, checkOrigin: true };
  const read = await callAnsweringPrompt(page, origin, "allow", "read", options);

  const cli = cliRead("--reader", reader, "--card-id", "1", "--verify", "--check-origin");
  assert.equal(cli.status, 0);
  assert.deepEqual(read, { resolved: cli.json });
  assert.equal(read.resolved.origin, "ok");
  assert.equal(read.resolved.fixedPerso.FirstNameLatin, "Jelena");

  // Remembered: no second prompt, for any call.
  await withoutPrompt(async () => {
    assert.deepEqual(await callApi(page, "listReaders"), { resolved: cliReaders() });
    assert.deepEqual(await callApi(page, "read", { reader }), { resolved: cliRead("--reader", reader).json });
    const message = execFileSync(CLI, ["message", "0x80100069"], { encoding: "utf8" }).trim();
    assert.deepEqual(await callApi(page, "errorMessage", "0x80100069"), { resolved: message });
    assert.deepEqual(await callApi(page, "read", { reader, cardId: 2 }), {
      rejected: { error: { hresult: "0x80070057", message: '"cardId" must be 1, 7 or "any".' } },
    });
  });
  await page.close();
});

test("a refused origin gets a refusal and no data, until the user withdraws the answer", async () => {
  const origin = `http://127.0.0.1:${port}`;
  const page = await openPage(origin);
  assert.deepEqual(await callAnsweringPrompt(page, origin, "refuse", "read", { reader }), { rejected: ACCESS_REFUSED });
  await withoutPrompt(async () => {
    assert.deepEqual(await callApi(page, "read", { reader }), { rejected: ACCESS_REFUSED });
    assert.deepEqual(await callApi(page, "listReaders"), { rejected: ACCESS_REFUSED });
  });

  const options = await context.newPage();
  await options.goto(`chrome-extension://${EXTENSION_ID}/options.html`);
  await options.click(`tr[data-origin="${origin}"] button`);
  await options.waitForSelector(`tr[data-origin="${origin}"]`, { state: "detached" });
  await options.close();

  // Asked again; a prompt closed without an answer refuses this call only.
  assert.deepEqual(await callAnsweringPrompt(page, origin, null, "listReaders"), { rejected: ACCESS_REFUSED });
  assert.deepEqual(await callAnsweringPrompt(page, origin, "allow", "listReaders"), { resolved: cliReaders() });
  await page.close();
});

test("the administrator's lists stand without asking the user", async () => {
  await withoutPrompt(async () => {
    const allowed = await openPage(`http://localhost:${policyPort}`);
    assert.deepEqual(await callApi(allowed, "listReaders"), { resolved: cliReaders() });
    await allowed.close();

    const blocked = await openPage(`http://127.0.0.1:${policyPort}`);
    assert.deepEqual(await callApi(blocked, "read", { reader }), {
      rejected: {
        error: { hresult: "0x80070005", message: "The administrator does not allow this site to read health cards." },
      },
    });
    await blocked.close();
  });
  const options = await context.newPage();
  await options.goto(`chrome-extension://${EXTENSION_ID}/options.html`);
  const policy = options.locator("#policy");
  await policy.locator("tr").first().waitFor();
  assert.equal(await policy.locator(`tr[data-origin="http://localhost:${policyPort}"] td`).nth(1).textContent(), "always allowed");
  assert.equal(await policy.locator(`tr[data-origin="http://127.0.0.1:${policyPort}"] td`).nth(1).textContent(), "never allowed");
  await options.close();
});

test("a tampered card and a missing card give the same error objects as kavrin-hc", async () => {
  const page = await openPage(`http://localhost:${port}`);
  card("remove");
  card("insert", "--fault", "tamper-block=0D02", "--fault", "chip-serial-mismatch");
  const options = { reader, verify: true, checkOrigin: true };
  const read = await callApi(page, "read", options);
  const cli = cliRead("--reader", reader, "--verify", "--check-origin");
  assert.equal(cli.status, 3);
  assert.ok(cli.json.verification.fixedPerso.error, "the tampered block fails its verification");
  assert.ok(cli.json.origin.error, "the origin check fails");
  assert.deepEqual(read, { resolved: cli.json });

  card("remove");
  const missing = await callApi(page, "read", options);
  const cliMissing = cliRead("--reader", reader, "--verify", "--check-origin");
  assert.equal(cliMissing.status, 1);
  assert.deepEqual(missing, { rejected: cliMissing.json });
  card("insert");
  await page.close();
});

test("without the host installed the page gets a clear error", async () => {
  const manifest = join(profile, "NativeMessagingHosts", "org.kavrin.hc.json");
  assert.ok(existsSync(manifest));
  unlinkSync(manifest);
  const page = await openPage(`http://localhost:${port}`);
  assert.deepEqual(await callApi(page, "listReaders"), {
    rejected: {
      error: { hresult: "0x80070002", message: "The health card host (org.kavrin.hc) is not installed on this computer." },
    },
  });
  await page.close();
});

test("closing the browser leaves no browser or host process behind", async () => {
  await context.close();
  context = null;
  const deadline = Date.now() + 5000;
  while (processesNamed(["chrom", "kavrin-hc-host"]).length > 0 && Date.now() < deadline) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  assert.deepEqual(processesNamed(["chrom", "kavrin-hc-host"]), []);
});
