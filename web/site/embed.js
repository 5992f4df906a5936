// The embed: embed.html, made from index.html with the class "embed" on its
// root, is the page other sites may frame (web/serve.mjs lets any site
// frame it, and no site the main page). It shows the picture alone, with
// a Play control: it starts a run only when that is pressed, or at once
// when the framing page asks for it (embed.html?autoplay=1); it plays a
// #run= fragment; the page's bar shows over the picture's foot on hover
// or focus (on a touch screen, a tap), and stays once a run has ended. It keeps nothing: no cookie,
// no storage, no offline copy, and it asks for no permission beyond full
// screen and the wake lock. In the main page none of this applies.
// vornEmbedCode, for Share, gives the <iframe> that frames a run.
"use strict";

// Loaded before the page's other scripts, so that whatever they keep in
// localStorage or sessionStorage lasts for the visit alone in the embed.
if (document.documentElement.classList.contains("embed")) {
  for (const name of ["localStorage", "sessionStorage"]) {
    const items = new Map();
    const storage = {
      get length() { return items.size; },
      key: (index) => [...items.keys()][index] ?? null,
      getItem: (key) => (items.has(String(key)) ? items.get(String(key)) : null),
      setItem: (key, value) => { items.set(String(key), String(value)); },
      removeItem: (key) => { items.delete(String(key)); },
      clear: () => items.clear(),
    };
    Object.defineProperty(window, name, {value: storage, configurable: true});
  }
}

// Called once by vorn_page.js: what the embed changes in the page.
// eslint-disable-next-line no-unused-vars
function vornEmbed({say}) {
  const embedded = document.documentElement.classList.contains("embed");
  const autoplay = new URLSearchParams(location.search).get("autoplay") === "1";
  const startButton = document.getElementById("start");
  let started = !embedded;

  if (embedded) {
    // The bar stays in sight once a run has ended ("Run again" shows).
    const again = document.getElementById("again");
    const follow = () => document.documentElement.classList.toggle("ended", !again.hidden);
    new MutationObserver(follow).observe(again, {attributes: true, attributeFilter: ["hidden"]});
    // A touch screen has no hover: a tap on the picture shows the bar, the next one hides it.
    document.getElementById("stage").addEventListener("pointerdown", (event) => {
      if (event.pointerType === "touch" && event.target.id !== "start" && !event.target.closest("#controls"))
        document.documentElement.classList.toggle("shown");
    });
  }

  return {
    embedded,

    // The first run: at once in the main page, when autoplay is asked for,
    // or when there is nothing to load (a run refused before it starts);
    // otherwise once Play is pressed.
    begin(start, refusedAlready) {
      if (started || autoplay || refusedAlready) {
        started = true;
        start();
        return;
      }
      say("Play starts the demo.");
      startButton.hidden = false;
      startButton.addEventListener("click", () => {
        startButton.hidden = true;
        started = true;
        start();
      }, {once: true});
    },

    // Whether a run may start without Play (a new #run= fragment) yet.
    get started() { return started; },
  };
}

// The HTML that frames this site's embed playing the run whose link
// fragment is given (the text after #run=): 640 x 480, titled, allowed
// full screen and the wake lock.
// eslint-disable-next-line no-unused-vars
function vornEmbedCode(fragment, frames) {
  const address = `${new URL("embed.html", location.href).href}#run=${fragment}`;
  const attribute = (text) => text.replace(/&/g, "&amp;").replace(/"/g, "&quot;").replace(/</g, "&lt;");
  return `<iframe src="${attribute(address)}" width="640" height="480" ` +
    `title="Vorn: a run of ${frames} frames" allow="fullscreen; screen-wake-lock" style="border: 0"></iframe>`;
}
