import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    name: "Theme"

    function argb(c) {
        return c.toString().toUpperCase();
    }

    function test_translucentColoursAreAlphaFirst() {
        // Black at 15/255 over whatever is below, not an opaque grey.
        compare(Theme.colorButtonHover.a, 15 / 255);
        compare(Theme.colorButtonHover.r, 0);
        compare(argb(Theme.colorButtonHover), "#0F000000");
        compare(argb(Theme.colorButtonPressed), "#14000000");
        // The contained-button blue at 80 %, not #339AEECC read as ARGB.
        compare(argb(Theme.colorAppSwitchTextOn), "#CC339AEE");
        verify(Qt.colorEqual(Qt.rgba(Theme.colorAppSwitchTextOn.r, Theme.colorAppSwitchTextOn.g, Theme.colorAppSwitchTextOn.b, 1), Theme.colorButtonContained));
        compare(argb(Theme.colorAppSwitchTextOff), "#4D000000");
        compare(argb(Theme.colorEraserDrawPreviewFill), "#4D00FFFF");
        compare(Theme.colorButton.a, 0);
        fuzzyCompare(Theme.colorUsageTipsBackground.a, 0.8, 0.01);
        verify(Qt.colorEqual(Qt.rgba(Theme.colorUsageTipsBackground.r, Theme.colorUsageTipsBackground.g, Theme.colorUsageTipsBackground.b, 1), Theme.colorBackgroundInverse));
        compare(Theme.colorBackground.a, 1);
        verify(Qt.colorEqual(Theme.colorBackground, "#F9FAFB"));
        verify(Qt.colorEqual(Theme.colorButtonContainedChecked, Theme.colorButtonContainedPressed));
    }

    function test_scalesAndPaths() {
        compare(Theme.animationDurationFaster, 83);
        compare(Theme.animationDurationFast, 167);
        compare(Theme.animationDurationNormal, 250);
        compare(Theme.effectDisabledOpacity, 0.3);
        compare(Theme.fontFamily, "Malgun Gothic");
        compare(Theme.iconToolbarDrawingPen, "qrc:/resources/toolbar/drawing/pen.svg");
        compare(Theme.iconToolbarDrawingPaletteColorChecked, "qrc:/resources/toolbar/drawing/palette/color-checked.svg");
        compare(Theme.imageAppLogo, "qrc:/resources/app/app-logo.png");
        compare(Theme.iconToolbarDrawingColorAdd, "qrc:/resources/toolbar/drawing/color-add.png");
    }

    // True when the write went through.
    function tryWrite(target, key, value) {
        try {
            target[key] = value;
        } catch (e) {
            return false;
        }
        return target[key] === value;
    }

    function test_valuesAreReadOnly() {
        verify(!tryWrite(Theme, "animationDurationFast", 1));
        compare(Theme.animationDurationFast, 167);
        verify(!tryWrite(Theme, "iconToolbarDrawingPen", "qrc:/elsewhere.svg"));
        verify(!tryWrite(AppConstants, "maxLineWidth", 5));
        compare(AppConstants.maxLineWidth, 100);
    }

    function test_appConstants() {
        compare(AppConstants.maxScreenCount, 4);
        compare(AppConstants.minLineWidth, 1);
        compare(AppConstants.maxLineWidth, 100);
        verify(AppConstants.minLineWidth <= AppConstants.defaultLineWidth && AppConstants.defaultLineWidth <= AppConstants.maxLineWidth);
        compare(AppConstants.defaultLineWidth, 5);
        compare(AppConstants.defaultHighlighterLineWidth, 30);
        compare(AppConstants.defaultEraserLineWidth, 30);
        verify(Qt.colorEqual(AppConstants.defaultLineColor, "#FF0000"));
        verify(Qt.colorEqual(AppConstants.defaultHighlighterColor, "#FFF600"));
        fuzzyCompare(AppConstants.highlighterAlpha, 0.4, 1e-9);
        compare(AppConstants.screenBoundaryMargin, 1.0);
    }
}
