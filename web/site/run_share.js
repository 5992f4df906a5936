// Run links and run files in the page. "Share this run" gives a link that
// holds the run's text in its fragment (#run=, each line break written as
// "/" and each space as "."; a run's text has neither of its own) and
// offers the run file (.vornrun) for download. Opening such a link, or
// choosing such a file with the picker, plays the run. A link is a
// stranger's data: one far too long is refused before it is read at all,
// the program's own run-file reader judges the rest, and the page only
// ever shows it as text.
"use strict";

// eslint-disable-next-line no-unused-vars
function vornRunShare({currentRun, say, sayHowToSteer, fileName}) {
  const LINK_HEAD = "#run=";
  const LONGEST_FRAGMENT = 16384;         // characters; a longer one is not read
  const LONGEST_LINK = 4000;              // characters; the file is offered instead
  const LARGEST_FILE = 32 * 1024 * 1024;  // the reader's own limit
  const EXTENSION = "vornrun";

  const sharedPanel = document.getElementById("shared");
  const linkField = document.getElementById("run-link");
  const fileLink = document.getElementById("run-file");

  const refuse = (from, why) => ({from, refused: why});

  // The run the address names: {from, bytes} to play, {from, refused} for
  // one refused at once, or null when it names none.
  function fromAddress() {
    const fragment = location.hash.slice(1);
    if (!fragment.startsWith(LINK_HEAD.slice(1))) return null;
    if (fragment.length > LONGEST_FRAGMENT)
      return refuse("link", `it is longer than ${LONGEST_FRAGMENT.toLocaleString("en")} characters`);
    let text;
    try {
      text = decodeURIComponent(fragment.slice(LINK_HEAD.length - 1));
    } catch (error) {
      return refuse("link", "it is broken (a % that escapes nothing)");
    }
    text = text.replace(/\//g, "\n").replace(/\./g, " ");
    return {from: "link", bytes: new TextEncoder().encode(text)};
  }

  // The run a chosen file holds (named .vornrun, or beginning as a run
  // file does), as fromAddress has it, or null for a file that is no run.
  async function fromFile(file) {
    const head = new Uint8Array(await file.slice(0, 8).arrayBuffer());
    const named = file.name.toLowerCase().endsWith(`.${EXTENSION}`);
    if (!named && String.fromCharCode(...head) !== "vorn-run") return null;
    if (file.size > LARGEST_FILE) return refuse(file.name, "it is larger than 32 MB: not a run file");
    return {from: file.name, bytes: new Uint8Array(await file.arrayBuffer())};
  }

  function share() {
    const run = currentRun();
    const frames = run && run.module._vorn_web_share_run ? run.module._vorn_web_share_run() : 0;
    if (frames === 0) {
      say("There is nothing to share yet: no frame has been shown.");
      return;
    }
    const text = run.module.vornSharedRun.text;
    if (fileLink.href.startsWith("blob:")) URL.revokeObjectURL(fileLink.href);
    fileLink.href = URL.createObjectURL(new Blob([text], {type: "text/plain"}));
    fileLink.download = fileName(EXTENSION);
    sharedPanel.hidden = false;
    const link = location.href.split("#")[0] + LINK_HEAD + text.replace(/\n/g, "/").replace(/ /g, ".");
    linkField.hidden = link.length > LONGEST_LINK;
    linkField.value = linkField.hidden ? "" : link;
    if (linkField.hidden) {
      say(`This run has too many key changes for a link: its run file (${frames} frames) is offered instead.`);
      return;
    }
    say(`The link beside plays this run's ${frames} frames; so does the run file.`);
    if (navigator.clipboard && navigator.clipboard.writeText)
      navigator.clipboard.writeText(link)
        .then(() => say(`The link to this run's ${frames} frames is copied; the run file is offered too.`))
        .catch(() => {});
  }

  document.getElementById("share").addEventListener("click", share);
  linkField.addEventListener("focus", () => linkField.select());

  return {
    fromAddress,
    fromFile,

    // The module's hooks for a run: the run it is to play, and what the
    // program says of it.
    hooks(run) {
      return {
        vornRunBytes: run.play ? run.play.bytes : null,
        onVornRunRefused: (line) => { run.refused = line; },
        onVornRunPlaying: (frames, samePicture) => {
          run.replay = {frames, samePicture};
          sayHowToSteer();
        },
        onVornRunNotice: (line) => say(`Vorn: ${line}.`),
      };
    },

    // Why a run was not played, for the status line.
    refusedText(run) {
      const what = run.play.from === "link" ? "This run link" : `Your run file “${run.play.from}”`;
      return `${what} was not played: ${run.refused || run.play.refused}`;
    },
  };
}
