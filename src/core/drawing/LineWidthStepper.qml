import QtQuick
import Zem.Inkly

// Shift with the mouse wheel steps the line width by one per notch. In the
// pointer mode it first brings back the most recent tool with a width.
WheelStepper {
    id: root

    required property DrawingContext drawingContext

    value: root.drawingContext ? root.drawingContext.lineWidth : AppConstants.minLineWidth
    minValue: AppConstants.minLineWidth
    maxValue: AppConstants.maxLineWidth
    stepSize: 1
    acceptedModifiers: Qt.ShiftModifier

    onStepped: newValue => {
        if (!root.drawingContext)
            return;
        root.drawingContext.ensureLineWidthDrawingTool();
        root.drawingContext.setLineWidth(newValue);
    }
}
