pragma Singleton
import QtQuick

// The toolbar's placement rules as plain arithmetic, free of windows and
// screens: the bar's size in an orientation, whether it fits an area, the
// edge to dock at, and the sides its panels and tooltip take. Thickness and
// length are the bar's window size across and along it.
QtObject {
    id: root

    // Fraction of the bar's length that counts when looking for an edge to
    // turn to, so that a bar only half over an edge does not flip.
    readonly property real snapDetectionRatio: 0.66
    // How far beyond the docking offset an edge still pulls the bar.
    readonly property int snapReach: 20

    function barSize(thickness: real, length: real, orientation: int): size {
        return orientation === Qt.Vertical ? Qt.size(thickness, length) : Qt.size(length, thickness);
    }

    function fits(thickness: real, length: real, orientation: int, area): bool {
        const size = root.barSize(thickness, length, orientation);
        return size.width <= area.width && size.height <= area.height;
    }

    // {edge, orientation} of the first placement: the remembered edge, or on
    // a first start the bottom of an ultra-wide screen and the right of any
    // other. An orientation that does not fit the area gives way to one that
    // does, so that every button stays reachable.
    function firstEdge(lastEdge: string, geometry, area, thickness: real, length: real): var {
        let edge = lastEdge;
        let orientation = Qt.Vertical;
        if (edge === "top" || edge === "bottom") {
            orientation = Qt.Horizontal;
        } else if (edge !== "left" && edge !== "right") {
            const ultraWide = geometry.height > 0 && geometry.width / geometry.height >= 21 / 9;
            edge = ultraWide ? "bottom" : "right";
            orientation = ultraWide ? Qt.Horizontal : Qt.Vertical;
        }
        const other = orientation === Qt.Vertical ? Qt.Horizontal : Qt.Vertical;
        if (!root.fits(thickness, length, orientation, area) && root.fits(thickness, length, other, area))
            orientation = other;
        return {
            "edge": edge,
            "orientation": orientation
        };
    }

    // The part of the bar at (x, y) that decides which edge it turns to.
    function detectionRect(x: real, y: real, thickness: real, length: real, orientation: int): rect {
        const along = length * root.snapDetectionRatio;
        return orientation === Qt.Vertical ? Qt.rect(x, y, thickness, along) : Qt.rect(x, y, along, thickness);
    }

    // {edge, orientation} for the edges in `snapped` (the flags of
    // Utils.snapToEdge); the first of left, right, top, bottom wins.
    function decideEdge(snapped, area, orientation: int, thickness: real, length: real): var {
        const fitsVertical = root.fits(thickness, length, Qt.Vertical, area);
        const fitsHorizontal = root.fits(thickness, length, Qt.Horizontal, area);
        const sides = snapped.left || snapped.right;
        const ends = snapped.top || snapped.bottom;
        let chosen = orientation;
        if (sides && !ends) {
            chosen = fitsVertical ? Qt.Vertical : Qt.Horizontal;
        } else if (ends && !sides) {
            chosen = fitsHorizontal ? Qt.Horizontal : Qt.Vertical;
        } else if (!root.fits(thickness, length, orientation, area)) {
            if (fitsVertical)
                chosen = Qt.Vertical;
            else if (fitsHorizontal)
                chosen = Qt.Horizontal;
            else
                chosen = area.width > area.height ? Qt.Horizontal : Qt.Vertical;
        }
        let edge = "";
        if (snapped.left)
            edge = "left";
        else if (snapped.right)
            edge = "right";
        else if (snapped.top)
            edge = "top";
        else if (snapped.bottom)
            edge = "bottom";
        return {
            "edge": edge,
            "orientation": chosen
        };
    }

    // The side with more room between the window and the area; null area:
    // the side away from a right or bottom edge.
    function panelSide(windowRect, area, orientation: int): string {
        const vertical = orientation === Qt.Vertical;
        if (!area)
            return vertical ? "left" : "above";
        if (vertical) {
            const left = windowRect.x - area.x;
            const right = area.x + area.width - (windowRect.x + windowRect.width);
            return left > right ? "left" : "right";
        }
        const above = windowRect.y - area.y;
        const below = area.y + area.height - (windowRect.y + windowRect.height);
        return below > above ? "below" : "above";
    }

    // {side, origin}: the tooltip keeps away from the side the panels use.
    function tooltipPlacement(panelSide: string): var {
        return {
            "side": panelSide === "below" ? "above" : "below",
            "origin": panelSide === "right" ? "right" : "left"
        };
    }
}
