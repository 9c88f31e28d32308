import QtQuick
import QtTest
import Zem.Inkly

// Every image the theme names has to be in the program's resources and decode;
// a missing file or a broken SVG would only show up as an empty button.
TestCase {
    id: root
    name: "Resources"
    when: windowShown

    // The singleton as an object, so that its properties can be listed.
    readonly property QtObject theme: Theme

    Component { id: imageComponent; Image {} }

    function test_imagesLoad() {
        const sources = ["qrc:/resources/app/app.ico", "qrc:/resources/app/app-tray.ico", "qrc:/resources/settings/settings.svg"];
        for (const key in root.theme) {
            if (/^(icon|image)[A-Z]/.test(key) && typeof root.theme[key] === "string")
                sources.push(root.theme[key]);
        }
        verify(sources.length >= 40, "found " + sources.length);
        for (const source of sources) {
            const image = createTemporaryObject(imageComponent, root, { source: source });
            tryVerify(() => image.status !== Image.Loading, 5000, source);
            compare(image.status, Image.Ready, source);
        }
    }
}
