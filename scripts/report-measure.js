// Run in headless Chromium over a page of reports, each in a <div class="report"> as wide as an
// A4 page's printed area: measures the box of every text as laid out and replaces the page with
// what it found. A text is clipped when it reaches out of its page's width or out of its
// timeline's drawing; two texts overlap when their boxes share more than a hair; a text is too
// small below 8 pt.
(() => {
    const hair = 0.5;
    const smallestPx = (8 * 96) / 72 - 0.01;
    const found = [];
    const totals = { reports: 0, boxes: 0, overlaps: 0, clipped: 0, small: 0, smallestPt: Infinity };
    const say = (what) => { if (found.length < 40) found.push(what); };
    const quote = (text) => JSON.stringify(text.trim().slice(0, 60));

    for (const report of document.querySelectorAll("div.report")) {
        const name = report.dataset.name;
        const page = report.getBoundingClientRect();
        const boxes = [];
        const add = (rect, text, frame, px, owner, svg) => {
            if (rect.width <= 0 || rect.height <= 0) return;
            boxes.push({ rect, text, frame, px, owner, svg });
        };
        const walker = document.createTreeWalker(report, NodeFilter.SHOW_TEXT);
        for (let node; (node = walker.nextNode()); ) {
            const parent = node.parentElement;
            if (!node.data.trim() || parent.closest("svg")) continue;
            const range = document.createRange();
            range.selectNodeContents(node);
            const px = parseFloat(getComputedStyle(parent).fontSize);
            for (const rect of range.getClientRects()) add(rect, node.data, page, px, node, false);
        }
        for (const svg of report.querySelectorAll("svg")) {
            const frame = svg.getBoundingClientRect();
            const scale = frame.width / svg.viewBox.baseVal.width;
            for (const text of svg.querySelectorAll("text"))
                add(text.getBoundingClientRect(), text.textContent, frame,
                    parseFloat(getComputedStyle(text).fontSize) * scale, text, true);
        }

        for (const box of boxes) {
            const r = box.rect, f = box.frame;
            totals.smallestPt = Math.min(totals.smallestPt, (box.px * 72) / 96);
            if (box.px < smallestPx) {
                totals.small++;
                say(`small ${name}: ${quote(box.text)} ${((box.px * 72) / 96).toFixed(2)} pt`);
            }
            const out = r.left < f.left - hair || r.right > f.right + hair ||
                (box.svg && (r.top < f.top - hair || r.bottom > f.bottom + hair));
            if (out) {
                totals.clipped++;
                say(`clipped ${name}: ${quote(box.text)} at ${r.left.toFixed(1)}..${r.right.toFixed(1)}, ` +
                    `${r.top.toFixed(1)}..${r.bottom.toFixed(1)} in ${f.left.toFixed(1)}..${f.right.toFixed(1)}, ` +
                    `${f.top.toFixed(1)}..${f.bottom.toFixed(1)}`);
            }
        }
        boxes.sort((a, b) => a.rect.top - b.rect.top);
        for (let i = 0; i < boxes.length; i++) {
            const a = boxes[i].rect;
            for (let j = i + 1; j < boxes.length && boxes[j].rect.top < a.bottom - hair; j++) {
                const b = boxes[j].rect;
                if (boxes[i].owner === boxes[j].owner) continue;
                const wide = Math.min(a.right, b.right) - Math.max(a.left, b.left);
                const high = Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top);
                if (wide > hair && high > hair) {
                    totals.overlaps++;
                    say(`overlap ${name}: ${quote(boxes[i].text)} and ${quote(boxes[j].text)}`);
                }
            }
        }
        totals.reports++;
        totals.boxes += boxes.length;
    }
    const summary = `reports=${totals.reports} boxes=${totals.boxes} overlaps=${totals.overlaps} ` +
        `clipped=${totals.clipped} small=${totals.small} smallest=${totals.smallestPt.toFixed(2)}pt`;
    document.body.innerHTML = "";
    const pre = document.createElement("pre");
    pre.id = "measured";
    pre.textContent = [...found, summary].join("\n");
    document.body.appendChild(pre);
})();
