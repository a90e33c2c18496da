// Opens the listener's web page in Debian's headless Chromium, presses Open and prints the answer the page
// shows. Usage: node open_page.mjs PAGE-URL
import { chromium } from "playwright-core";

const [pageUrl] = process.argv.slice(2);
if (!pageUrl) {
  console.error("usage: node open_page.mjs PAGE-URL");
  process.exit(2);
}
// The flags keep Chromium off the network it would otherwise reach for at start.
const browser = await chromium.launch({
  executablePath: "/usr/bin/chromium",
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
         "--disable-component-update", "--disable-sync"],
});
try {
  const page = await browser.newPage();
  await page.goto(pageUrl);
  await page.click("#open");
  // The answer box gets a state once the listener answered or the connection ended.
  await page.waitForFunction(() => document.getElementById("answer").className !== "", null, { timeout: 120000 });
  console.log(await page.textContent("#answer"));
} finally {
  await browser.close();
}
