import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "Utils"

    // Each row calls Utils[fn](...args) and compares the fields it names.
    function test_helpers_data() {
        const r = (x, y, w, h) => ({ "x": x, "y": y, "width": w, "height": h });
        const screen = r(0, 0, 1000, 800), desk = r(0, 0, 1920, 1040), bounds = r(0, 0, 1000, 1000);
        const edges = (left, right, top, bottom) => ({ "left": left, "right": right, "top": top, "bottom": bottom });
        const c = "center";
        return [
            { tag: "snap: out of reach", fn: "snapToEdge", args: [r(100, 100, 50, 300), screen, 28, 8], expect: { x: 100, y: 100, snapped: null } },
            { tag: "snap: clamped, then off the right edge", fn: "snapToEdge", args: [r(990, 100, 50, 300), screen, 28, 8], expect: { x: 942, y: 100, snapped: edges(false, true, false, false) } },
            { tag: "snap: bottom-left corner", fn: "snapToEdge", args: [r(20, 790, 50, 300), screen, 28, 8], expect: { x: 8, y: 492, snapped: edges(true, false, false, true) } },
            { tag: "snap: left over right, top over bottom", fn: "snapToEdge", args: [r(5, 5, 990, 790), screen, 28, 8], expect: { x: 8, y: 8, snapped: edges(true, false, true, false) } },
            { tag: "snap: inside a screen left of the primary", fn: "snapToEdge", args: [r(-300, 300, 50, 50), r(-1920, 0, 1920, 1080), 0, 8], expect: { x: -300, snapped: null } },
            { tag: "snap: pushed off the screen", fn: "snapToEdge", args: [r(-5000, 300, 50, 50), r(-1920, 0, 1920, 1080), 0, 8], expect: { x: -1912 } },
            { tag: "edge: bottom", fn: "placeAtEdge", args: [r(300, 900, 600, 60), desk, "bottom", 8], expect: { x: 300, y: 972 } },
            { tag: "edge: top", fn: "placeAtEdge", args: [r(300, 900, 600, 60), desk, "top", 8], expect: { x: 300, y: 8 } },
            { tag: "edge: right", fn: "placeAtEdge", args: [r(300, 100, 60, 600), desk, "right", 8], expect: { x: 1852, y: 100 } },
            { tag: "edge: left", fn: "placeAtEdge", args: [r(300, 100, 60, 600), desk, "left", 8], expect: { x: 8, y: 100 } },
            { tag: "edge: unknown, only the clamp", fn: "placeAtEdge", args: [r(1900, -20, 60, 60), desk, "middle", 8], expect: { x: 1860, y: 0 } },
            { tag: "edge: wider than the bounds, from the left", fn: "placeAtEdge", args: [r(-10, 0, 2000, 60), desk, "top", 0], expect: { x: 0 } },
            { tag: "edge: wider than the bounds, from the right", fn: "placeAtEdge", args: [r(10, 0, 2000, 60), desk, "top", 0], expect: { x: -80 } },
            { tag: "anchor: left", fn: "anchorPosition", args: [r(500, 500, 40, 40), bounds, c, c, c, c, "left", true, 200, 100, 6], expect: { x: 294, y: 470, finalSide: "left" } },
            { tag: "anchor: no room left, right", fn: "anchorPosition", args: [r(100, 500, 40, 40), bounds, c, c, c, c, "left", true, 200, 100, 6], expect: { x: 146, y: 470, finalSide: "right" } },
            { tag: "anchor: no fallback, clamped", fn: "anchorPosition", args: [r(100, 500, 40, 40), bounds, c, c, c, c, "left", false, 200, 100, 6], expect: { x: 0, finalSide: "left" } },
            { tag: "anchor: neither fits, the roomier side", fn: "anchorPosition", args: [r(0, 150, 1000, 40), bounds, "top", "left", "top", "left", "above", true, 300, 900], expect: { y: 100, finalSide: "below" } },
            { tag: "anchor: neither fits, kept below", fn: "anchorPosition", args: [r(0, 60, 1000, 40), bounds, "top", "left", "top", "left", "below", true, 300, 80], expect: { y: 104, finalSide: "below" } },
            { tag: "anchor: above, left-aligned", fn: "anchorPosition", args: [r(400, 500, 100, 20), bounds, "top", "left", "top", "left", "above", true, 200, 50], expect: { x: 400, y: 446, finalSide: "above" } },
            { tag: "anchor: above, right-aligned", fn: "anchorPosition", args: [r(400, 500, 100, 20), bounds, "top", "right", "top", "right", "above", true, 200, 50], expect: { x: 300 } },
            { tag: "anchor: below, centred", fn: "anchorPosition", args: [r(400, 500, 100, 20), bounds, "top", c, "top", c, "below", true, 200, 50], expect: { x: 350, y: 524, finalSide: "below" } },
            { tag: "anchor: clamped to the right border", fn: "anchorPosition", args: [r(960, 500, 40, 20), bounds, "bottom", "right", "bottom", "left", "below", true, 200, 50], expect: { x: 800 } },
            { tag: "anchor: right, bottom-aligned", fn: "anchorPosition", args: [r(500, 500, 40, 40), bounds, "top", "left", "bottom", "left", "right", true, 100, 60, 4], expect: { x: 544, y: 440, finalSide: "right" } },
            { tag: "intersect: touching sides", fn: "rectsIntersect", args: [r(0, 0, 10, 10), r(10, 0, 10, 10)], expect: false },
            { tag: "intersect: overlapping corner", fn: "rectsIntersect", args: [Qt.rect(0, 0, 10, 10), Qt.rect(9, 9, 10, 10)], expect: true },
            { tag: "intersect: nothing", fn: "rectsIntersect", args: [null, r(0, 0, 10, 10)], expect: false },
            { tag: "colour: alpha first", fn: "toAARRGGBB", args: ["#339aeecc"], expect: "#CC339AEE" },
            { tag: "colour: opaque", fn: "toAARRGGBB", args: ["#ff00aa"], expect: "#FFFF00AA" },
        ];
    }

    function test_helpers(data) {
        const result = Utils[data.fn](...data.args);
        if (data.expect === null || typeof data.expect !== "object")
            compare(result, data.expect);
        else
            compare(Object.keys(data.expect).map(key => result[key]), Object.values(data.expect));
    }
}
