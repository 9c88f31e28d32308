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

    Component { id: svgComponent; CSvg { width: 24; height: 24; svgSource: Theme.iconToolbarDrawingPen } }

    // Icons are recoloured by replacing a placeholder colour in the SVG
    // text, case-insensitively and literally; incomplete entries are skipped.
    function test_svgRecolouring_data() {
        return [
            { tag: "placeholder", replacements: [{ "from": "#FF0000", "to": Qt.rgba(0, 0, 1, 1) }], present: ["#0000ff"], absent: ["#ff0000"] },
            { tag: "lower case, with pattern syntax", replacements: [{ "from": "url(#shadow", "to": "none" }, { "from": "#ff0000", "to": "#00ff00" }], present: ["#00ff00"], absent: ["#ff0000"] },
            { tag: "incomplete entries", replacements: [{ "from": "#FF0000" }, { "to": "#00ff00" }, null, { "from": "", "to": "#00ff00" }, { "from": "#FF0000", "to": "#123456" }],
              present: ["#123456"], absent: ["#00ff00", "#ff0000"] },
            { tag: "no replacements", replacements: [], source: "" },
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
}
