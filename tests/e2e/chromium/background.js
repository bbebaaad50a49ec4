// Plays the case that config.json names against the native host and reports
// what it saw to the test's loopback server as the last part of a URL path.

function connect(host) {
  const port = chrome.runtime.connectNative(host);
  const arrived = [];
  const waiting = [];
  const deliver = (message) => (waiting.length ? waiting.shift()(message) : arrived.push(message));
  port.onMessage.addListener(deliver);
  port.onDisconnect.addListener(
      () => deliver(
          {disconnected: chrome.runtime.lastError ? chrome.runtime.lastError.message : ''}));
  const next = () =>
      arrived.length ? Promise.resolve(arrived.shift()) : new Promise((r) => waiting.push(r));
  return {port, next};
}

// Messages until `last` holds for one, or the port is gone; long URLs are
// kept as their length.
async function until(host, last) {
  const seen = [];
  for (;;) {
    const message = await host.next();
    seen.push(
        message.url && message.url.length > 100 ? {...message, url: message.url.length} : message);
    if (message.disconnected !== undefined || last(message))
      return seen;
  }
}

async function pingBurst(host, count) {
  const started = performance.now();
  for (let i = 0; i < count; i++)
    host.port.postMessage({action: 'host_ping', session_id: i});
  const seen = await until(host, (m) => m.session_id === count - 1);
  return {session_ids: seen.map((m) => m.session_id), ms: performance.now() - started};
}

// Messages until the new frame's page has its title.
function create(host, config) {
  host.port.postMessage({
    action: 'host_create',
    session_id: 1,
    width: 800,
    height: 600,
    port: 'p',
    title: 't',
    url: config.page
  });
  return until(host, (m) => m.action === 'client_title_change');
}

const CASES = {
  async limits(config) {
    const host = connect(config.host);
    const seen = await create(host, config);
    const lengths = config.url_lengths;
    for (const length of lengths)
      host.port.postMessage({action: 'host_navigate', frame_id: 1, url: 'x:'.padEnd(length, 'a')});
    // Navigations run in order: once the last is reported, the others were.
    seen.push(...await until(host, (m) => m.url && m.url.length === lengths.at(-1)));
    if (seen.at(-1).disconnected !== undefined)
      return seen;
    host.port.postMessage({action: 'host_ping', session_id: 2});
    return seen.concat(await until(host, (m) => m.session_id === 2));
  },
  async burst(config) {
    return pingBurst(connect(config.host), config.count);
  },
  async frames(config) {
    const host = connect(config.host);
    const seen = await create(host, config);
    host.port.postMessage({action: 'host_close', frame_id: 1, session_id: 3});
    return seen.concat(await until(host, () => false));
  },
  // Pings answered per second, the hosts taking turns; start-up is left out.
  async bench(config) {
    const rates = {};
    for (let round = 0; round < config.rounds; round++) {
      for (const name of config.hosts) {
        const host = connect(name);
        host.port.postMessage({action: 'host_ping', session_id: -1});
        await host.next();
        const {session_ids, ms} = await pingBurst(host, config.count);
        host.port.disconnect();
        (rates[name] = rates[name] || [])
            .push(session_ids.length === config.count ? (config.count * 1000) / ms : 0);
      }
    }
    return rates;
  },
};

(async () => {
  const config = await (await fetch('config.json')).json();
  let result;
  try {
    result = await CASES[config.case](config);
  } catch (error) {
    result = {error: String(error)};
  }
  await fetch(config.report + '/' + encodeURIComponent(JSON.stringify(result)));
})();
