import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "Utils"
    width: 200
    height: 200
    when: windowShown

    readonly property var screen: ({
            "x": 0,
            "y": 0,
            "width": 1000,
            "height": 800
        })

    function rect(x, y, width, height) {
        return {
            "x": x,
            "y": y,
            "width": width,
            "height": height
        };
    }

    Item {
        id: probe
        x: 20
        y: 30
        width: 50
        height: 40
    }

    function test_rectsIntersect() {
        verify(!Utils.rectsIntersect(rect(0, 0, 10, 10), rect(10, 0, 10, 10)), "touching side by side");
        verify(!Utils.rectsIntersect(rect(0, 0, 10, 10), rect(0, 10, 10, 10)), "touching one above the other");
        verify(Utils.rectsIntersect(rect(0, 0, 10, 10), rect(9, 9, 10, 10)));
        verify(Utils.rectsIntersect(rect(0, 0, 100, 100), rect(40, 40, 10, 10)), "contained");
        verify(Utils.rectsIntersect(Qt.rect(0, 0, 10, 10), Qt.rect(5, 5, 10, 10)), "rect values");
        verify(!Utils.rectsIntersect(null, rect(0, 0, 10, 10)));
        verify(!Utils.rectsIntersect(rect(0, 0, 10, 10), undefined));
    }

    function test_colours() {
        compare(Utils.toAARRGGBB("#00000014"), "#14000000");
        compare(Utils.toAARRGGBB("#339aeecc"), "#CC339AEE");
        compare(Utils.toAARRGGBB("#ff00aa"), "#FFFF00AA");
        ignoreWarning("Invalid hex color format: red");
        compare(Utils.toAARRGGBB("red"), "red");
        ignoreWarning("Invalid hex color format: #abcd");
        compare(Utils.toAARRGGBB("#abcd"), "#abcd");
        ignoreWarning("Invalid hex color format: undefined");
        compare(Utils.toAARRGGBB(undefined), undefined);

        const faded = Utils.setAlpha("#336699", 0.25);
        verify(Qt.colorEqual(faded, Qt.rgba(0x33 / 255, 0x66 / 255, 0x99 / 255, 0.25)), faded.toString());
        const opaque = Utils.setAlpha(Qt.rgba(1, 0, 0, 0.1), 1);
        compare(opaque.a, 1);
        compare(opaque.r, 1);
        compare(opaque.g, 0);
    }

    function test_snapToEdge() {
        let r = Utils.snapToEdge(rect(100, 100, 50, 300), testCase.screen, 28, 8);
        compare(r.x, 100);
        compare(r.y, 100);
        compare(r.snapped, null);

        r = Utils.snapToEdge(rect(990, 100, 50, 300), testCase.screen, 28, 8);
        compare(r.x, 942, "clamped to 950, then 8 off the right edge");
        compare(r.y, 100);
        compare(r.snapped, {
            "left": false,
            "right": true,
            "top": false,
            "bottom": false
        });

        r = Utils.snapToEdge(rect(20, 790, 50, 300), testCase.screen, 28, 8);
        compare(r.x, 8);
        compare(r.y, 492);
        verify(r.snapped.left && r.snapped.bottom);
        verify(!r.snapped.right && !r.snapped.top);

        // Left wins over right and top over bottom when both are in reach.
        r = Utils.snapToEdge(rect(5, 5, 990, 790), testCase.screen, 28, 8);
        compare(r.x, 8);
        compare(r.y, 8);
        verify(r.snapped.left && r.snapped.top && !r.snapped.right && !r.snapped.bottom);

        // A rectangle pushed off the screen always snaps on that side.
        r = Utils.snapToEdge(rect(-300, 300, 50, 50), rect(-1920, 0, 1920, 1080), 0, 8);
        compare(r.x, -300);
        compare(r.snapped, null);
        r = Utils.snapToEdge(rect(-5000, 300, 50, 50), rect(-1920, 0, 1920, 1080), 0, 8);
        compare(r.x, -1912);
        verify(r.snapped.left);
    }

    function test_placeAtEdge() {
        const desk = rect(0, 0, 1920, 1040);
        compare(Utils.placeAtEdge(rect(300, 900, 600, 60), desk, "bottom", 8), {
            "x": 300,
            "y": 972
        });
        compare(Utils.placeAtEdge(rect(300, 900, 600, 60), desk, "top", 8), {
            "x": 300,
            "y": 8
        });
        compare(Utils.placeAtEdge(rect(300, 100, 60, 600), desk, "right", 8), {
            "x": 1852,
            "y": 100
        });
        compare(Utils.placeAtEdge(rect(300, 100, 60, 600), desk, "left", 8), {
            "x": 8,
            "y": 100
        });
        // Unknown edge: only the clamp applies.
        compare(Utils.placeAtEdge(rect(1900, -20, 60, 60), desk, "middle", 8), {
            "x": 1860,
            "y": 0
        });
        // Wider than the bounds: the side it came from decides which edge holds.
        compare(Utils.placeAtEdge(rect(-10, 0, 2000, 60), desk, "top", 0).x, 0);
        compare(Utils.placeAtEdge(rect(10, 0, 2000, 60), desk, "top", 0).x, -80);
    }

    function test_anchorPosition() {
        const bounds = rect(0, 0, 1000, 1000);
        let r = Utils.anchorPosition(rect(500, 500, 40, 40), bounds, "center", "center", "center", "center", "left", true, 200, 100, 6);
        compare(r, {
            "x": 294,
            "y": 470,
            "finalSide": "left"
        });

        r = Utils.anchorPosition(rect(100, 500, 40, 40), bounds, "center", "center", "center", "center", "left", true, 200, 100, 6);
        compare(r.finalSide, "right");
        compare(r.x, 146);
        compare(r.y, 470);

        // Without fallback the side is kept and only the clamp moves the target.
        r = Utils.anchorPosition(rect(100, 500, 40, 40), bounds, "center", "center", "center", "center", "left", false, 200, 100, 6);
        compare(r.finalSide, "left");
        compare(r.x, 0);

        // Neither side fits: the roomier one on the same axis, default gap 4.
        r = Utils.anchorPosition(rect(0, 150, 1000, 40), bounds, "top", "left", "top", "left", "above", true, 300, 900);
        compare(r.finalSide, "below");
        compare(r.y, 100, "194 below the anchor, clamped back into the bounds");
        r = Utils.anchorPosition(rect(0, 60, 1000, 40), bounds, "top", "left", "top", "left", "below", true, 300, 80);
        compare(r.finalSide, "below");
        compare(r.y, 104);

        // Above, aligned by the transform origin against the anchor reference.
        r = Utils.anchorPosition(rect(400, 500, 100, 20), bounds, "top", "left", "top", "left", "above", true, 200, 50);
        compare(r, {
            "x": 400,
            "y": 446,
            "finalSide": "above"
        });
        r = Utils.anchorPosition(rect(400, 500, 100, 20), bounds, "top", "right", "top", "right", "above", true, 200, 50);
        compare(r.x, 300);
        r = Utils.anchorPosition(rect(400, 500, 100, 20), bounds, "top", "center", "top", "center", "below", true, 200, 50);
        compare(r, {
            "x": 350,
            "y": 524,
            "finalSide": "below"
        });
        r = Utils.anchorPosition(rect(960, 500, 40, 20), bounds, "bottom", "right", "bottom", "left", "below", true, 200, 50);
        compare(r.x, 800, "clamped to the right border");

        // Vertical alignment for side placements.
        r = Utils.anchorPosition(rect(500, 500, 40, 40), bounds, "top", "left", "bottom", "left", "right", true, 100, 60, 4);
        compare(r, {
            "x": 544,
            "y": 440,
            "finalSide": "right"
        });

        // An unknown side still yields a real position.
        r = Utils.anchorPosition(rect(500, 100, 40, 40), bounds, "top", "left", "top", "left", "diagonal", true, 100, 60);
        compare(r.finalSide, "below");
        verify(!isNaN(r.x) && !isNaN(r.y));
    }

    function test_isPointInItem() {
        const origin = probe.mapToGlobal(0, 0);
        verify(Utils.isPointInItem(probe, Qt.point(origin.x, origin.y)));
        verify(Utils.isPointInItem(probe, Qt.point(origin.x + 50, origin.y + 40)), "right and bottom borders are inside");
        verify(!Utils.isPointInItem(probe, Qt.point(origin.x + 50.5, origin.y + 10)));
        verify(!Utils.isPointInItem(probe, Qt.point(origin.x - 1, origin.y + 10)));
        verify(!Utils.isPointInItem(null, Qt.point(0, 0)));
    }

    function test_dates() {
        const now = Utils.isoNow();
        compare(now.length, 24);
        verify(/^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$/.test(now), now);
        verify(Math.abs(Date.parse(now) - Date.now()) < 60000, now);

        compare(Utils.daysBetween("2025-11-01T23:59:00Z", "2025-11-02T00:01:00Z"), 1);
        compare(Utils.daysBetween("2025-11-02T00:01:00Z", "2025-11-01T23:59:00Z"), -1);
        compare(Utils.daysBetween("2025-11-01T00:00:00.000Z", "2025-11-01T23:59:59.999Z"), 0);
        compare(Utils.daysBetween("2024-02-28T12:00:00Z", "2024-03-01T12:00:00Z"), 2, "leap year");
        compare(Utils.daysBetween("2025-01-01T00:00:00Z", "2026-01-01T00:00:00Z"), 365);
        compare(Utils.daysBetween("", "2025-11-02T00:01:00Z"), null);
        compare(Utils.daysBetween("2025-11-02T00:01:00Z", undefined), null);
        compare(Utils.daysBetween("yesterday", "2025-11-02T00:01:00Z"), null);
    }
}
