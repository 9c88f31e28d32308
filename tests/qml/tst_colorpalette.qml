import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "ColorPalette"
    width: 200
    height: 200
    when: windowShown
    visible: true

    readonly property var toolbarColors: ["#FF0000", "#FFF600", "#3DBE5C", "#339AEE", "#222222", "#FFFFFF"]

    Component {
        id: paletteComponent

        ColorPalette {
            x: 20
            y: 20
            colors: testCase.toolbarColors
        }
    }

    Component {
        id: spyComponent

        SignalSpy {}
    }

    function createPalette(properties) {
        return createTemporaryObject(paletteComponent, testCase, properties || {});
    }

    function swatches(palette) {
        const found = [];
        for (let i = 0; i < palette.colors.length; ++i)
            found.push(findChild(palette, "swatch" + i));
        return found;
    }

    function checkedIndices(palette) {
        const list = swatches(palette);
        const indices = [];
        for (let i = 0; i < list.length; ++i) {
            if (list[i].checked)
                indices.push(i);
        }
        return indices;
    }

    function test_checkedSwatchFollowsColor() {
        const palette = createPalette({
            "color": "#339AEE"
        });
        const list = swatches(palette);
        compare(list.length, 6);
        compare(checkedIndices(palette), [3]);
        compare(String(list[3].currentIconSource), Theme.iconToolbarDrawingPaletteColorChecked);
        compare(String(list[2].currentIconSource), Theme.iconToolbarDrawingPaletteColor);
        compare(list[3].svgReplacements[0].to.toString(), "#339aee", "the swatch is drawn in its own colour");

        // Lower case names the same colour.
        palette.color = "#ffffff";
        compare(checkedIndices(palette), [5]);

        palette.color = "#123456";
        compare(checkedIndices(palette), [], "a colour outside the palette checks nothing");
    }

    function test_clickSelectsUnlessDisabled() {
        const palette = createPalette({
            "color": "#FF0000"
        });
        const spy = createTemporaryObject(spyComponent, testCase, {
            "target": palette,
            "signalName": "colorSelected"
        });
        const blue = findChild(palette, "swatch3");
        mouseClick(blue);
        compare(spy.count, 1);
        verify(Qt.colorEqual(spy.signalArguments[0][0], "#339AEE"));
        compare(palette.color, Qt.color("#FF0000"), "the palette follows its owner, not the click");

        palette.enabled = false;
        compare(blue.contentItem.opacity, Theme.effectDisabledOpacity, "a disabled swatch is dimmed");
        mouseClick(blue);
        mouseClick(findChild(palette, "swatch0"));
        compare(spy.count, 1, "a disabled palette ignores clicks");

        palette.enabled = true;
        mouseClick(findChild(palette, "swatch4"));
        compare(spy.count, 2);
        verify(Qt.colorEqual(spy.signalArguments[1][0], "#222222"));
    }

    function test_relayoutKeepsRowOrder() {
        const palette = createPalette();
        compare(palette.columns, 2);
        compare(palette.width, 2 * 19 + 2);
        compare(palette.height, 3 * 19 + 2 * 2);

        palette.orientation = Qt.Horizontal;
        verify(palette.horizontal);
        compare(palette.columns, 3);
        tryCompare(palette, "width", 3 * 19 + 2 * 2);
        compare(palette.height, 2 * 19 + 2);

        // Read row by row, the swatches give the colours in their order.
        const list = swatches(palette).slice();
        list.sort((a, b) => (a.y - b.y) || (a.x - b.x));
        for (let i = 0; i < list.length; ++i)
            compare(list[i].swatchColor.toString(), Qt.color(testCase.toolbarColors[i]).toString());
        compare(list[2].y, 0, "three in the first row");
        compare(list[3].x, 0);

        palette.colors = ["#000000", "#111111", "#222222", "#333333", "#444444"];
        compare(palette.columns, 3, "an odd count rounds up");
    }

    function test_hoverCounting() {
        const palette = createPalette();
        const first = findChild(palette, "swatch0");
        const second = findChild(palette, "swatch1");
        mouseMove(testCase, 5, 150);
        compare(palette.hoveredCount, 0);
        verify(!palette.hovered);

        mouseMove(first, 9, 9);
        tryCompare(palette, "hoveredCount", 1);
        verify(palette.hovered);
        compare(String(first.currentIconSource), Theme.iconToolbarDrawingPaletteColorHover);

        mouseMove(second, 9, 9);
        tryCompare(second, "hovered", true);
        compare(palette.hoveredCount, 1, "moving between swatches keeps the palette hovered");
        verify(palette.hovered);

        mouseMove(testCase, 5, 150);
        tryCompare(palette, "hoveredCount", 0);
        verify(!palette.hovered);

        // A swatch that goes away under the pointer must not leave the count up.
        mouseMove(first, 9, 9);
        tryCompare(palette, "hoveredCount", 1);
        palette.colors = [];
        tryCompare(palette, "hoveredCount", 0);
    }
}
