import QtQuick
import Zem.Inkly

// An SVG icon with some of its colours replaced, e.g. the placeholder red of
// the pen icon by the pen's colour. Shows nothing without replacements; plain
// icons are drawn by an ordinary Image.
Image {
    id: root

    property string svgSource: ""
    // [{ from, to }, ...]; entries without both are skipped.
    property var replacements: []
    property real devicePixelRatio: Screen.devicePixelRatio

    readonly property string dataUrlPrefix: "data:image/svg+xml;base64,"

    function isGiven(value): bool {
        return value !== undefined && value !== null && String(value) !== "";
    }

    // Colour texts only need "#" treated literally, but a replacement must
    // never be able to break the pattern, so every special character is.
    function literalPattern(text: string): string {
        return text.replace(/[.*+?^${}()|[\]\\\/#-]/g, "\\$&");
    }

    function recolouredUrl(path: string, entries): string {
        if (path === "" || !entries || entries.length === undefined || entries.length === 0)
            return "";
        let text = FileUtils.readFile(path);
        if (text === "") {
            console.warn("[CSvg] Failed to load SVG:", path);
            return "";
        }
        for (let i = 0; i < entries.length; ++i) {
            const entry = entries[i];
            if (!entry || !root.isGiven(entry.from) || !root.isGiven(entry.to))
                continue;
            const replacement = String(entry.to);
            // A function keeps "$" in the replacement literal.
            text = text.replace(new RegExp(root.literalPattern(String(entry.from)), "gi"), () => replacement);
        }
        return root.dataUrlPrefix + Qt.btoa(text);
    }

    source: root.recolouredUrl(root.svgSource, root.replacements)
    sourceSize.width: Math.ceil(root.width * root.devicePixelRatio)
    sourceSize.height: Math.ceil(root.height * root.devicePixelRatio)
    fillMode: Image.PreserveAspectFit
}
