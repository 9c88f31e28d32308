import QtQuick
import QtQuick.Controls.Basic
import Zem.Inkly

// The line-width slider with its value beside it.
CPopover {
    id: root

    property int lineWidth: AppConstants.defaultLineWidth
    property DrawingContext drawingContext: null
    readonly property alias slider: slider

    signal moved(int lineWidth)

    contentItem: Row {
        // The handle reaches over the slider's ends by its radius; the
        // visible margin to the groove is 16 on both sides.
        leftPadding: 16 - slider.handleRadius
        rightPadding: 16
        topPadding: 12
        bottomPadding: 12
        spacing: 2

        CSlider {
            id: slider

            implicitWidth: 100 + 2 * slider.handleRadius
            height: 20
            from: AppConstants.minLineWidth
            to: AppConstants.maxLineWidth
            stepSize: 1
            snapMode: Slider.SnapAlways
            value: root.lineWidth

            onMoved: root.moved(Math.round(slider.value))
        }

        CText {
            objectName: "valueText"
            width: 20
            anchors.verticalCenter: slider.verticalCenter
            horizontalAlignment: Text.AlignRight
            font.pixelSize: 11
            text: slider.value.toFixed(0)
        }

        LineWidthStepper {
            drawingContext: root.drawingContext
        }
    }
}
