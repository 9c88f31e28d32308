pragma Singleton
import QtQuick

// Application limits and drawing defaults.
QtObject {
    id: root

    readonly property int maxScreenCount: 4
    readonly property color defaultLineColor: "#FF0000"
    readonly property color defaultHighlighterColor: "#FFF600"
    readonly property int defaultLineWidth: 5
    readonly property int defaultHighlighterLineWidth: 30
    readonly property int defaultEraserLineWidth: 30
    readonly property int maxLineWidth: 100
    readonly property int minLineWidth: 1
    readonly property real highlighterAlpha: 0.4
    // How long each part of the laser trail takes to fade out.
    readonly property int laserFadeDuration: 1000
    readonly property int laserLineWidth: 8
    // How long after it is shown a window is put back where it was placed
    // when the window manager moves it by its own rules.
    readonly property int managerPlacementGrace: 1000
    // Keeps popup windows off a neighbouring monitor with another scale factor.
    readonly property real screenBoundaryMargin: 1.0
    // How long the note about a saved or copied picture stays.
    readonly property int pictureNoticeDuration: 6000
    readonly property string homepageUrl: "https://github.com/zemworks/inkly#readme"
    // The `event` key tells the page where the visitor came from.
    readonly property string captureInstallUrl: "https://github.com/zemworks/inkly/wiki/Capture?event=inkly_toolbar_capture"
}
