import QtQuick
import QtTest
import Zem.Inkly

// Every image the theme names has to be in the program's resources and decode;
// a missing file or a broken SVG would only show up as an empty button.
TestCase {
    id: root

    // The singleton as an object, so that its properties can be listed.
    readonly property QtObject theme: Theme

    name: "Resources"
    when: windowShown
    width: 100
    height: 100

    Component {
        id: imageComponent

        Image {}
    }

    Canvas {
        id: probe

        property string source
        property bool painted: false

        width: 76
        height: 76
        onPaint: {
            if (source === "")
                return;
            const context = getContext("2d");
            context.clearRect(0, 0, width, height);
            context.drawImage(source, 0, 0, width, height);
            painted = true;
        }
    }

    function themeImages(): var {
        const entries = [];
        for (const key in root.theme) {
            if (/^(icon|image)[A-Z]/.test(key) && typeof root.theme[key] === "string")
                entries.push({ name: key, path: root.theme[key] });
        }
        return entries;
    }

    function loadImage(source: string): Image {
        const image = createTemporaryObject(imageComponent, root, { source: source });
        tryVerify(() => image.status !== Image.Loading, 5000, source);
        return image;
    }

    function verifyLoads(source: string) {
        const image = loadImage(source);
        compare(image.status, Image.Ready, source);
        verify(image.implicitWidth > 0 && image.implicitHeight > 0, source);
    }

    // Paints the image over the whole probe canvas and reads one pixel, given
    // as fractions of the width and height.
    function pixelOf(url: string, fx: real, fy: real): var {
        probe.loadImage(url);
        tryVerify(() => probe.isImageLoaded(url), 5000, url);
        probe.source = url;
        probe.painted = false;
        probe.requestPaint();
        tryVerify(() => probe.painted);
        const data = probe.getContext("2d").getImageData(Math.floor(probe.width * fx), Math.floor(probe.height * fy), 1, 1).data;
        probe.unloadImage(url);
        return [data[0], data[1], data[2], data[3]];
    }

    function containsText(text: string, part: string): bool {
        return text.toLowerCase().indexOf(part.toLowerCase()) >= 0;
    }

    function test_themeImagesLoad() {
        const entries = themeImages();
        // The theme's table of images has 37 entries.
        verify(entries.length >= 37, "found " + entries.length + " image properties");
        for (const entry of entries) {
            verify(entry.path.startsWith("qrc:/resources/"), entry.name + ": " + entry.path);
            verifyLoads(entry.path);
        }
    }

    function test_filesNamedOutsideTheTheme() {
        verifyLoads("qrc:/resources/app/app.ico");
        verifyLoads("qrc:/resources/app/app-tray.ico");
        verifyLoads("qrc:/resources/settings/settings.svg");
    }

    // Images shown at a fixed size keep their aspect ratio, so artwork drawn
    // in other proportions would come out smaller than its place.
    function test_drawnProportions_data() {
        return [
            { tag: "tips double", source: Theme.iconTipsDouble, w: 21, h: 14 },
            { tag: "tips middle click", source: Theme.iconTipsMiddleClick, w: 16, h: 28 },
            { tag: "tips wheel scroll", source: Theme.iconTipsWheelScroll, w: 16, h: 28 },
            { tag: "switch handle", source: Theme.iconToolbarMiscApp, w: 24, h: 28 },
            { tag: "extension mark", source: Theme.iconToolbarMiscExtensionIndicator, w: 6, h: 6 },
            { tag: "palette idle", source: Theme.iconToolbarDrawingPaletteColor, w: 19, h: 19 },
            { tag: "palette hover", source: Theme.iconToolbarDrawingPaletteColorHover, w: 19, h: 19 },
            { tag: "palette checked", source: Theme.iconToolbarDrawingPaletteColorChecked, w: 19, h: 19 },
            { tag: "overview background", source: Theme.imageOverviewBackground, w: 720, h: 500 },
            { tag: "logo", source: Theme.imageAppLogo, w: 1, h: 1 },
            { tag: "pen", source: Theme.iconToolbarDrawingPen, w: 1, h: 1 },
            { tag: "more menu tips", source: Theme.iconToolbarMoreTips, w: 1, h: 1 }
        ];
    }

    function test_drawnProportions(data) {
        const image = loadImage(data.source);
        compare(image.status, Image.Ready);
        compare(image.implicitWidth * data.h, image.implicitHeight * data.w);
    }

    // Controls recolour these icons by replacing the placeholder text, so the
    // placeholder must be there, and the other one must not be.
    function test_recolourableIcons_data() {
        return [
            { tag: "pen", source: Theme.iconToolbarDrawingPen, placeholder: "#FF0000", other: "#FFF600", swatch: false },
            { tag: "highlighter", source: Theme.iconToolbarDrawingHighlighter, placeholder: "#FFF600", other: "#FF0000", swatch: false },
            { tag: "colour", source: Theme.iconToolbarDrawingColor, placeholder: "#FF0000", other: "#FFF600", swatch: true },
            { tag: "palette idle", source: Theme.iconToolbarDrawingPaletteColor, placeholder: "#FF0000", other: "#FFF600", swatch: true },
            { tag: "palette hover", source: Theme.iconToolbarDrawingPaletteColorHover, placeholder: "#FF0000", other: "#FFF600", swatch: true },
            { tag: "palette checked", source: Theme.iconToolbarDrawingPaletteColorChecked, placeholder: "#FF0000", other: "#FFF600", swatch: true }
        ];
    }

    function test_recolourableIcons(data) {
        // Read the way the controls read them.
        const text = FileUtils.readFile(data.source);
        verify(text.length > 0);
        verify(containsText(text, data.placeholder));
        verify(!containsText(text, data.other));

        // Recoloured the way the controls do it, the icon still decodes, and a
        // swatch shows the new colour where the old one was.
        const recoloured = text.replace(new RegExp("\\" + data.placeholder, "gi"), "#339aee");
        verify(!containsText(recoloured, data.placeholder));
        const url = "data:image/svg+xml;base64," + Qt.btoa(recoloured);
        const image = loadImage(url);
        compare(image.status, Image.Ready);
        if (!data.swatch)
            return;
        const centre = pixelOf(url, 0.5, 1 / 3);
        compare(centre, [0x33, 0x9a, 0xee, 255]);
    }
}
