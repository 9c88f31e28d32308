import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "StyledControls"
    width: 400
    height: 300
    when: windowShown
    // TestCase is invisible by default, and hidden items get no input.
    visible: true

    readonly property var toolbarColors: ["#FF0000", "#FFF600", "#3DBE5C", "#339AEE", "#222222", "#FFFFFF"]
    // The theme singleton as an object, so that its properties can be listed.
    readonly property QtObject theme: Theme

    Component { id: svgComponent; CSvg { width: 24; height: 24; svgSource: Theme.iconToolbarDrawingPen } }
    Component { id: paletteComponent; ColorPalette { x: 20; y: 20; colors: testCase.toolbarColors } }
    Component { id: imageComponent; Image {} }
    SignalSpy { id: selectedSpy; signalName: "colorSelected" }

    // Icons are recoloured by replacing a placeholder colour in the SVG
    // text, case-insensitively and literally; incomplete entries are skipped.
    function test_svgRecolouring_data() {
        return [
            { tag: "placeholder", replacements: [{ "from": "#FF0000", "to": Qt.rgba(0, 0, 1, 1) }], present: ["#0000ff"], absent: ["#ff0000"] },
            { tag: "lower case, with pattern syntax", replacements: [{ "from": "url(#shadow", "to": "none" }, { "from": "#ff0000", "to": "#00ff00" }], present: ["#00ff00"], absent: ["#ff0000"] },
            { tag: "incomplete entries", replacements: [{ "from": "#FF0000" }, { "to": "#00ff00" }, null, { "from": "", "to": "#00ff00" }, { "from": "#FF0000", "to": "#123456" }],
              present: ["#123456"], absent: ["#00ff00", "#ff0000"] },
            { tag: "missing file", svgSource: "/nonexistent-inkly-test/no-such-icon.svg", replacements: [{ "from": "#FF0000", "to": "#0000ff" }], source: "",
              warnings: [/^\[FileUtils\] Failed to open file:/, "[CSvg] Failed to load SVG: /nonexistent-inkly-test/no-such-icon.svg"] }
        ];
    }

    function test_svgRecolouring(data) {
        for (const warning of data.warnings || [])
            ignoreWarning(warning);
        const svg = createTemporaryObject(svgComponent, testCase, Object.assign({ "replacements": data.replacements }, data.svgSource ? { "svgSource": data.svgSource } : {}));
        const source = String(svg.source);
        if (data.source !== undefined) {
            compare(source, data.source);
            return;
        }
        tryCompare(svg, "status", Image.Ready);
        const text = Qt.atob(source.substring("data:image/svg+xml;base64,".length)).toLowerCase();
        for (const colour of data.present)
            verify(text.indexOf(colour) >= 0, colour);
        for (const colour of data.absent)
            verify(text.indexOf(colour) < 0, colour);
    }

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

    // Every image the theme names has to be in the program's resources and
    // decode; a missing file or a broken SVG would only show up as an empty button.
    function test_imagesLoad() {
        const sources = ["qrc:/resources/app/app.ico", "qrc:/resources/app/app-tray.ico", "qrc:/resources/settings/settings.svg"];
        for (const key in testCase.theme) {
            if (/^(icon|image)[A-Z]/.test(key) && typeof testCase.theme[key] === "string")
                sources.push(testCase.theme[key]);
        }
        verify(sources.length >= 40, "found " + sources.length);
        for (const source of sources) {
            const image = createTemporaryObject(imageComponent, testCase, { source: source });
            tryVerify(() => image.status !== Image.Loading, 5000, source);
            compare(image.status, Image.Ready, source);
        }
    }
}
