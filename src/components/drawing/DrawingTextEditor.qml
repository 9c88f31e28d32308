import QtQuick
import Zem.Inkly

// Types one text in place: a caret where the overlay was clicked, the text in
// the current colour at the size of the line width, composed inline by the
// input method. Committing hands the text to the drawing state as an item,
// or, for a text clicked again, as the new version of that item. An empty
// text commits nothing.
//
// Positions and sizes are canvas units, as the host canvas's.
TextEdit {
    id: root

    required property string windowId
    property DrawingContext drawingContext: null
    // The text item typed again, or null for a new text.
    property var editedItem: null
    property bool editing: false
    property int fontSize: 16
    property color inkColor: AppConstants.defaultLineColor
    property int inkWidth: AppConstants.defaultLineWidth
    readonly property bool composing: root.preeditText.length > 0

    signal started

    visible: root.editing
    enabled: root.editing
    color: DrawingRenderer.inkColor(root.inkColor)
    font.family: DrawingRenderer.textFamily
    font.pixelSize: root.fontSize
    textFormat: TextEdit.PlainText
    wrapMode: TextEdit.NoWrap
    selectByMouse: false
    cursorVisible: root.editing
    padding: 0
    inputMethodHints: Qt.ImhMultiLine | Qt.ImhNoPredictiveText

    // Only Escape; Enter starts a new line.
    Keys.onEscapePressed: root.commit()

    // A caret at (x, y); `item` is an existing text to type again.
    function begin(x: real, y: real, item) {
        root.commit();
        if (!root.drawingContext)
            return;
        const context = root.drawingContext;
        root.editedItem = item ? item : null;
        if (item) {
            context.setHidden(item, {});
            context.requestCanvasRefresh(root.windowId);
            root.x = item.x;
            root.y = item.y;
            root.fontSize = item.fontSize;
            root.inkColor = item.lineColor;
            root.inkWidth = item.lineWidth;
            root.text = item.text;
        } else {
            root.x = x;
            root.y = y;
            root.inkWidth = context.lineWidth;
            root.fontSize = Math.round(DrawingRenderer.textSizeFor(context.lineWidth, root.parent ? root.parent.scale : 1));
            root.inkColor = context.lineColor;
            root.text = "";
        }
        root.editing = true;
        context.textEditing = true;
        root.cursorPosition = root.length;
        root.forceActiveFocus();
        root.started();
    }

    // Ends the typing; a composition still open counts as typed.
    function commit() {
        if (!root.editing)
            return;
        Qt.inputMethod.commit();
        const text = root.getText(0, root.length) + root.preeditText;
        const old = root.editedItem;
        const context = root.drawingContext;
        root.editing = false;
        root.editedItem = null;
        root.text = "";
        root.focus = false;
        if (!context)
            return;
        context.textEditing = false;
        // Trailing blank lines show nothing.
        const trimmed = text.replace(/\s+$/, "");
        if (old && (trimmed.length === 0 || trimmed === old.text)) {
            context.setHidden(old, null);
            context.requestCanvasRefresh(root.windowId);
            return;
        }
        if (trimmed.trim().length === 0)
            return;
        const c = root.inkColor;
        const item = {
            drawingTool: DrawingTool.Text,
            windowId: root.windowId,
            lineColor: Qt.rgba(c.r, c.g, c.b, c.a),
            lineWidth: root.inkWidth,
            text: trimmed,
            x: root.x,
            y: root.y,
            fontSize: root.fontSize
        };
        console.debug("[" + root.windowId + "] draw Text length: " + trimmed.length);
        context.replaceDrawItem(old, item);
    }

    Connections {
        target: root.drawingContext

        function onDrawingToolChanged() {
            root.commit();
        }
        function onPageAboutToChange() {
            root.commit();
        }
        // The text being typed follows the colour and width chosen meanwhile.
        function onLineColorManuallyChanged() {
            if (root.editing)
                root.inkColor = root.drawingContext.lineColor;
        }
        function onLineWidthManuallyChanged() {
            if (!root.editing)
                return;
            root.inkWidth = root.drawingContext.lineWidth;
            root.fontSize = Math.round(DrawingRenderer.textSizeFor(root.inkWidth, root.parent ? root.parent.scale : 1));
        }
    }

    Component.onDestruction: root.commit()
}
