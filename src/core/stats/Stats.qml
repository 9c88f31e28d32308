pragma Singleton
import QtQml
import Zem.Inkly

// The usage events the application counts, and the identifiers the
// statistics library knows them by. Without the library every event is still
// logged and announced through actionSent; it just returns false.
QtObject {
    id: root

    // Each identifier handed to the library, with the library's answer.
    signal actionSent(string actionId, bool accepted)

    function runStat(): bool {
        console.debug("[Stats] run");
        return root.send("inkly_100_001");
    }

    function drawingStat(drawingTool: int): bool {
        console.debug("[Stats] drawing tool used: " + DrawingTool.toString(drawingTool));
        const actionId = root.drawingActionId(drawingTool);
        return actionId.length > 0 ? root.send(actionId) : false;
    }

    function captureStat(event: string): bool {
        console.debug("[Stats] capture: " + event);
        const actionId = root.captureActionId(event);
        return actionId.length > 0 ? root.send(actionId) : false;
    }

    // Always the three settings, in this order, one identifier of each pair.
    // The argument is the application's AppSettings; it is left untyped
    // because naming that type here makes the two documents load each other.
    function settingsStat(appSettings): bool {
        if (!appSettings) {
            console.warn("[Stats] settings not recorded: no settings given");
            return false;
        }
        const autoStart = Boolean(appSettings.autoStartEnabled);
        const wheelDouble = Boolean(appSettings.wheelDoubleEnabled);
        const autoUsageTips = Boolean(appSettings.autoUsageTipsEnabled);
        console.debug("[Stats] settings recorded: autoStartEnabled=" + autoStart
                     + ", wheelDoubleEnabled=" + wheelDouble
                     + ", autoUsageTipsEnabled=" + autoUsageTips);
        root.send(autoStart ? "inkly_100_018" : "inkly_100_019");
        root.send(wheelDouble ? "inkly_100_020" : "inkly_100_021");
        root.send(autoUsageTips ? "inkly_100_022" : "inkly_100_023");
        return true;
    }

    // The dashed line cannot be picked by the user and has no identifier.
    function drawingActionId(drawingTool: int): string {
        switch (drawingTool) {
        case DrawingTool.Pen:
            return "inkly_100_002";
        case DrawingTool.Highlighter:
            return "inkly_100_003";
        case DrawingTool.Rectangle:
            return "inkly_100_004";
        case DrawingTool.Ellipse:
            return "inkly_100_005";
        case DrawingTool.Star:
            return "inkly_100_006";
        case DrawingTool.Line:
            return "inkly_100_007";
        case DrawingTool.Arrow:
            return "inkly_100_008";
        case DrawingTool.DashedRectangle:
            return "inkly_100_009";
        case DrawingTool.DashedEllipse:
            return "inkly_100_010";
        case DrawingTool.EraserBrush:
            return "inkly_100_011";
        case DrawingTool.EraserRectangle:
            return "inkly_100_012";
        }
        return "";
    }

    function captureActionId(event: string): string {
        switch (event) {
        case "trigger":
            return "inkly_100_013";
        case "run_success":
            return "inkly_100_014";
        case "run_failure":
            return "inkly_100_015";
        case "install":
            return "inkly_100_016";
        case "homepage":
            return "inkly_100_017";
        }
        return "";
    }

    function send(actionId: string): bool {
        const accepted = TallyWrapper.executeAction(actionId);
        root.actionSent(actionId, accepted);
        return accepted;
    }
}
