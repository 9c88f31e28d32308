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

    Component { id: paletteComponent; ColorPalette { x: 20; y: 20; colors: testCase.toolbarColors } }
    SignalSpy { id: selectedSpy; signalName: "colorSelected" }

    function checkedIndices(palette) {
        return testCase.toolbarColors.map((c, i) => findChild(palette, "swatch" + i).checked ? i : -1).filter(i => i >= 0);
    }

    function test_swatches() {
        const palette = createTemporaryObject(paletteComponent, testCase, { "color": "#FF0000" });
        selectedSpy.target = palette;
        const blue = findChild(palette, "swatch3");
        compare(blue.svgReplacements[0].to.toString(), "#339aee", "the swatch is drawn in its own colour");
        mouseClick(blue);
        compare(selectedSpy.count, 1);
        verify(Qt.colorEqual(selectedSpy.signalArguments[0][0], "#339AEE"));
        compare(checkedIndices(palette), [0], "the palette follows its owner, not the click");
        for (const [color, checked] of [["#339AEE", [3]], ["#ffffff", [5]], ["#123456", []]]) {
            palette.color = color;
            compare(checkedIndices(palette), checked, color);
        }
        palette.enabled = false;
        mouseClick(blue);
        compare(selectedSpy.count, 1, "a disabled palette ignores clicks");

        // Read row by row, the swatches give the colours in their order.
        palette.orientation = Qt.Horizontal;
        tryCompare(palette, "width", 3 * 19 + 2 * 2);
        const swatches = testCase.toolbarColors.map((c, i) => findChild(palette, "swatch" + i));
        swatches.sort((a, b) => (a.y - b.y) || (a.x - b.x));
        compare(swatches.map(s => s.swatchColor.toString()), testCase.toolbarColors.map(c => Qt.color(c).toString()));
    }
}
