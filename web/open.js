// Sends one open command to the ZEL listener and shows its one answer. The listener reads one text message
// per connection, answers one text message and closes the connection.
"use strict";

const PREFIX = "ZEL:@:OPEN3DX:@:";
const SUCCESS = "Successfully executed OPEN3DX command.";
// The listener waits for the session to open the object before it answers; give up well after it would.
const ANSWER_TIMEOUT_MS = 180000;

const field = (id) => document.getElementById(id);
const answer = field("answer");

function show(text, state) {
  answer.textContent = text;
  answer.className = state || "";
}

// The delimiter would make the request ambiguous inside a field.
function checkField(name, value) {
  if (value.includes("@@")) throw new Error(name + " must not contain \"@@\".");
  return value;
}

function openObject() {
  let command;
  try {
    command = PREFIX + [checkField("The type", field("type").value.trim()),
                        checkField("The identifier", field("id").value.trim()),
                        checkField("The revision", field("revision").value.trim())].join("@@");
  } catch (error) {
    show(error.message, "failed");
    return;
  }
  let socket;
  try {
    socket = new WebSocket(field("listener").value.trim());
  } catch (error) {
    show("The listener address is not valid: " + error.message, "failed");
    return;
  }
  field("open").disabled = true;
  show("Waiting for the listener …");
  let answered = false;
  const timer = setTimeout(() => socket.close(), ANSWER_TIMEOUT_MS);
  const done = () => {
    clearTimeout(timer);
    field("open").disabled = false;
  };
  socket.onopen = () => socket.send(command);
  socket.onmessage = (event) => {
    answered = true;
    show(String(event.data), event.data === SUCCESS ? "ok" : "failed");
  };
  socket.onerror = () => {
    if (!answered) show("No connection to the listener at " + socket.url + ".", "failed");
  };
  socket.onclose = () => {
    done();
    if (!answered && !answer.classList.contains("failed"))
      show("The listener closed the connection without an answer.", "failed");
  };
}

field("request").addEventListener("submit", (event) => {
  event.preventDefault();
  openObject();
});

// Fields given by the link, and an immediate open when it asks for one.
const params = new URLSearchParams(window.location.search);
for (const name of ["type", "id", "revision", "listener"])
  if (params.has(name)) field(name).value = params.get(name);
if (params.get("open") === "1") openObject();
