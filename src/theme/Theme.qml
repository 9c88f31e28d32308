pragma Singleton
import QtQuick
import Zem.Inkly

// Palette, resource paths, font and animation scale shared by every component.
// Translucent colours are written #RRGGBBAA and converted for the colour type.
QtObject {
    id: root

    readonly property color colorBackground: "#F9FAFB"
    readonly property color colorBackgroundInverse: "#000000"
    readonly property color colorBorder: "#222222"
    readonly property color colorBorderInverse: "#FFFFFF"
    readonly property color colorText: "#222222"
    readonly property color colorTextSecondary: "#4D4D4D"
    readonly property color colorTextInverse: "#FFFFFF"
    readonly property color colorTextWarning: "#D93025"
    readonly property color colorSeparatorBackground: "#D2D6D9"
    readonly property color colorButton: "transparent"
    readonly property color colorButtonHover: Utils.toAARRGGBB("#0000000F")
    readonly property color colorButtonPressed: Utils.toAARRGGBB("#00000014")
    readonly property color colorButtonChecked: "#7CBFF4"
    readonly property color colorButtonContained: "#339AEE"
    readonly property color colorButtonContainedHover: "#2E8FDB"
    readonly property color colorButtonContainedPressed: "#277EBF"
    readonly property color colorButtonContainedChecked: "#277EBF"
    readonly property color colorButtonOutlinedBorder: "#CCD4DD"
    readonly property color colorSwitchTrackOn: "#95CBF6"
    readonly property color colorSwitchTrackOff: "#DBE0E7"
    readonly property color colorSwitchHandle: "#FFFFFF"
    readonly property color colorSliderGroove: "#E1E4E6"
    readonly property color colorSliderFill: "#007FF5"
    readonly property color colorSliderHandleFill: "#007FF5"
    readonly property color colorSliderHandleBorder: "#FFFFFF"
    readonly property color colorPopoverBackground: "#EAEDF1"
    readonly property color colorGripIndicator: "#E1E4E6"
    readonly property color colorGripIndicatorHover: "#C4C9CE"
    readonly property color colorAppSwitchTextOn: Utils.toAARRGGBB("#339AEECC")
    readonly property color colorAppSwitchTextOff: Utils.toAARRGGBB("#0000004D")
    readonly property color colorUsageTipsBackground: Utils.setAlpha(root.colorBackgroundInverse, 0.8)
    readonly property color colorEraserDrawPreviewFill: Utils.toAARRGGBB("#00FFFF4D")
    readonly property color colorEraserDrawPreviewBorder: "#FFFFFF"
    readonly property color colorBoardWhite: "#FFFFFF"
    readonly property color colorBoardBlack: "#000000"
    // The laser trail: a soft halo round a bright core.
    readonly property color colorLaser: "#FF2A2A"
    readonly property color colorLaserCore: "#FFF0F0"

    readonly property string imageAppLogo: "qrc:/resources/app/app-logo.png"
    readonly property string iconTipsDouble: "qrc:/resources/tips/double.svg"
    readonly property string iconTipsMiddleClick: "qrc:/resources/tips/middle-click.svg"
    readonly property string iconTipsWheelScroll: "qrc:/resources/tips/wheel-scroll.svg"
    readonly property string imageOverviewBackground: "qrc:/resources/overview/background.png"
    readonly property string iconOverviewClose: "qrc:/resources/overview/close.svg"
    readonly property string iconToolbarDrawingCursor: "qrc:/resources/toolbar/drawing/cursor.svg"
    // Drawn in the placeholder colour #FF0000, which the button replaces.
    readonly property string iconToolbarDrawingPen: "qrc:/resources/toolbar/drawing/pen.svg"
    // Drawn in the placeholder colour #FFF600, which the button replaces.
    readonly property string iconToolbarDrawingHighlighter: "qrc:/resources/toolbar/drawing/highlighter.svg"
    readonly property string iconToolbarDrawingShape: "qrc:/resources/toolbar/drawing/shape.svg"
    readonly property string iconToolbarDrawingEraser: "qrc:/resources/toolbar/drawing/eraser.svg"
    readonly property string iconToolbarDrawingEraserRectangle: "qrc:/resources/toolbar/drawing/eraser-rectangle.svg"
    readonly property string iconToolbarDrawingLineWidth: "qrc:/resources/toolbar/drawing/line-width.svg"
    readonly property string iconToolbarDrawingArrow: "qrc:/resources/toolbar/drawing/arrow.svg"
    readonly property string iconToolbarDrawingLine: "qrc:/resources/toolbar/drawing/line.svg"
    readonly property string iconToolbarDrawingDashedRectangle: "qrc:/resources/toolbar/drawing/dashed-rectangle.svg"
    readonly property string iconToolbarDrawingDashedEllipse: "qrc:/resources/toolbar/drawing/dashed-ellipse.svg"
    readonly property string iconToolbarDrawingStar: "qrc:/resources/toolbar/drawing/star.svg"
    readonly property string iconToolbarDrawingEllipse: "qrc:/resources/toolbar/drawing/ellipse.svg"
    readonly property string iconToolbarDrawingRectangle: "qrc:/resources/toolbar/drawing/rectangle.svg"
    readonly property string iconToolbarDrawingText: "qrc:/resources/toolbar/drawing/text.svg"
    readonly property string iconToolbarDrawingLaser: "qrc:/resources/toolbar/drawing/laser.svg"
    readonly property string iconToolbarDrawingColor: "qrc:/resources/toolbar/drawing/color.svg"
    readonly property string iconToolbarDrawingColorAdd: "qrc:/resources/toolbar/drawing/color-add.png"
    readonly property string iconToolbarDrawingPaletteColor: "qrc:/resources/toolbar/drawing/palette/color.svg"
    readonly property string iconToolbarDrawingPaletteColorHover: "qrc:/resources/toolbar/drawing/palette/color-hover.svg"
    readonly property string iconToolbarDrawingPaletteColorChecked: "qrc:/resources/toolbar/drawing/palette/color-checked.svg"
    readonly property string iconToolbarHistoryClear: "qrc:/resources/toolbar/history/clear.svg"
    readonly property string iconToolbarHistoryUndo: "qrc:/resources/toolbar/history/undo.svg"
    readonly property string iconToolbarHistoryRedo: "qrc:/resources/toolbar/history/redo.svg"
    readonly property string iconToolbarMiscApp: "qrc:/resources/toolbar/misc/app.svg"
    readonly property string iconToolbarMiscCapture: "qrc:/resources/toolbar/misc/capture.svg"
    readonly property string iconToolbarMiscExtensionIndicator: "qrc:/resources/toolbar/misc/extension-indicator.svg"
    readonly property string iconToolbarMiscMore: "qrc:/resources/toolbar/misc/more.svg"
    readonly property string iconToolbarMoreAbout: "qrc:/resources/toolbar/more/about.svg"
    readonly property string iconToolbarMoreClose: "qrc:/resources/toolbar/more/close.svg"
    readonly property string iconToolbarMoreCopyPicture: "qrc:/resources/toolbar/more/copy-picture.svg"
    readonly property string iconToolbarMoreHomepage: "qrc:/resources/toolbar/more/homepage.svg"
    readonly property string iconToolbarMoreSavePicture: "qrc:/resources/toolbar/more/save-picture.svg"
    readonly property string iconToolbarMoreSettings: "qrc:/resources/toolbar/more/settings.svg"
    readonly property string iconToolbarMoreTips: "qrc:/resources/toolbar/more/tips.svg"
    readonly property string iconToolbarMoreWhiteBoard: "qrc:/resources/toolbar/more/white-board.svg"
    readonly property string iconToolbarMoreBlackBoard: "qrc:/resources/toolbar/more/black-board.svg"

    // Fontconfig falls back where this family is not installed.
    readonly property string fontFamily: "Malgun Gothic"
    readonly property int animationDurationFaster: 83
    readonly property int animationDurationFast: 167
    readonly property int animationDurationNormal: 250
    readonly property real effectDisabledOpacity: 0.3
}
