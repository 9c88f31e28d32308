pragma Singleton
import QtQuick

// Stateless helpers: rectangles, colour strings, edge snapping, anchoring and
// dates. Rectangles are anything with x, y, width and height.
QtObject {
    id: root

    // Touching rectangles do not intersect.
    function rectsIntersect(a, b): bool {
        if (!a || !b)
            return false;
        return !(a.x + a.width <= b.x || b.x + b.width <= a.x || a.y + a.height <= b.y || b.y + b.height <= a.y);
    }

    // The theme writes colours as #RRGGBBAA; the colour type reads #AARRGGBB.
    function toAARRGGBB(hex): string {
        if (typeof hex === "string") {
            if (hex.length === 7)
                return ("#FF" + hex.substring(1)).toUpperCase();
            if (hex.length === 9)
                return ("#" + hex.substring(7, 9) + hex.substring(1, 7)).toUpperCase();
        }
        console.warn("Invalid hex color format: " + hex);
        return hex;
    }

    function setAlpha(c, alpha: real): color {
        const base = Qt.color(c);
        return Qt.rgba(base.r, base.g, base.b, alpha);
    }

    function snapToEdge(target, bounding, snapThreshold: real, snapOffset: real): var {
        const boundRight = bounding.x + bounding.width;
        const boundBottom = bounding.y + bounding.height;
        let x = target.x;
        let y = target.y;
        if (x < bounding.x)
            x = bounding.x;
        else if (x + target.width > boundRight)
            x = boundRight - target.width;
        if (y < bounding.y)
            y = bounding.y;
        else if (y + target.height > boundBottom)
            y = boundBottom - target.height;

        const left = Math.abs(x - bounding.x);
        const right = Math.abs(x + target.width - boundRight);
        const top = Math.abs(y - bounding.y);
        const bottom = Math.abs(y + target.height - boundBottom);
        const snapped = {
            "left": false,
            "right": false,
            "top": false,
            "bottom": false
        };
        if (left <= snapThreshold) {
            x = bounding.x + snapOffset;
            snapped.left = true;
        } else if (right <= snapThreshold) {
            x = boundRight - target.width - snapOffset;
            snapped.right = true;
        }
        if (top <= snapThreshold) {
            y = bounding.y + snapOffset;
            snapped.top = true;
        } else if (bottom <= snapThreshold) {
            y = boundBottom - target.height - snapOffset;
            snapped.bottom = true;
        }
        const any = snapped.left || snapped.right || snapped.top || snapped.bottom;
        return {
            "x": x,
            "y": y,
            "snapped": any ? snapped : null
        };
    }

    function placeAtEdge(target, bounding, edge: string, offset: real): var {
        const boundRight = bounding.x + bounding.width;
        const boundBottom = bounding.y + bounding.height;
        let x = target.x;
        let y = target.y;
        if (edge === "left")
            x = bounding.x + offset;
        else if (edge === "right")
            x = boundRight - target.width - offset;
        else if (edge === "top")
            y = bounding.y + offset;
        else if (edge === "bottom")
            y = boundBottom - target.height - offset;

        if (x < bounding.x)
            x = bounding.x;
        else if (x + target.width > boundRight)
            x = boundRight - target.width;
        if (y < bounding.y)
            y = bounding.y;
        else if (y + target.height > boundBottom)
            y = boundBottom - target.height;
        return {
            "x": x,
            "y": y
        };
    }

    function anchorPosition(anchor, bounding, anchorVertical: string, anchorHorizontal: string, transformOriginVertical: string, transformOriginHorizontal: string, preferredSide: string, sideFallbackEnabled: bool, targetWidth: real, targetHeight: real, gap): var {
        if (gap === undefined || gap === null)
            gap = 4.0;
        const anchorRight = anchor.x + anchor.width;
        const anchorBottom = anchor.y + anchor.height;
        const boundRight = bounding.x + bounding.width;
        const boundBottom = bounding.y + bounding.height;
        const space = {
            "above": anchor.y - bounding.y,
            "below": boundBottom - anchorBottom,
            "left": anchor.x - bounding.x,
            "right": boundRight - anchorRight
        };
        const opposite = {
            "above": "below",
            "below": "above",
            "left": "right",
            "right": "left"
        };
        const fits = side => {
            if (side === "above" || side === "below")
                return space[side] >= targetHeight + gap;
            if (side === "left" || side === "right")
                return space[side] >= targetWidth + gap;
            return false;
        };
        const horizontalAxis = preferredSide === "left" || preferredSide === "right";
        const largerSide = horizontalAxis ? (space.left >= space.right ? "left" : "right") : (space.above >= space.below ? "above" : "below");

        let side = preferredSide;
        if (!(side in opposite)) {
            // An unknown side has no position of its own; take the roomier
            // vertical one instead of returning NaN coordinates.
            side = largerSide;
        } else if (sideFallbackEnabled && !fits(side)) {
            side = fits(opposite[side]) ? opposite[side] : largerSide;
        }

        const originOffset = (origin, extent) => {
            if (origin === "left" || origin === "top")
                return 0;
            if (origin === "center")
                return extent / 2;
            return extent;
        };
        let x = 0;
        let y = 0;
        if (side === "above" || side === "below") {
            y = side === "above" ? anchor.y - gap - targetHeight : anchorBottom + gap;
            let reference = anchorRight;
            if (anchorHorizontal === "left")
                reference = anchor.x;
            else if (anchorHorizontal === "center")
                reference = anchor.x + anchor.width / 2;
            x = reference - originOffset(transformOriginHorizontal, targetWidth);
        } else {
            x = side === "left" ? anchor.x - gap - targetWidth : anchorRight + gap;
            let reference = anchorBottom;
            if (anchorVertical === "top")
                reference = anchor.y;
            else if (anchorVertical === "center")
                reference = anchor.y + anchor.height / 2;
            y = reference - originOffset(transformOriginVertical, targetHeight);
        }

        x = Math.max(bounding.x, Math.min(boundRight - targetWidth, x));
        y = Math.max(bounding.y, Math.min(boundBottom - targetHeight, y));
        return {
            "x": x,
            "y": y,
            "finalSide": side
        };
    }

    // All four borders count as inside.
    function isPointInItem(item, globalPos): bool {
        if (!item || !globalPos)
            return false;
        const local = item.mapFromGlobal(globalPos.x, globalPos.y);
        return local.x >= 0 && local.x <= item.width && local.y >= 0 && local.y <= item.height;
    }

    function isoNow(): string {
        return new Date().toISOString();
    }

    // Whole calendar days (UTC) from a to b; null when either text is not a date.
    function daysBetween(aIso, bIso): var {
        if (!aIso || !bIso)
            return null;
        const a = new Date(aIso);
        const b = new Date(bIso);
        if (isNaN(a.getTime()) || isNaN(b.getTime()))
            return null;
        const dayA = Date.UTC(a.getUTCFullYear(), a.getUTCMonth(), a.getUTCDate());
        const dayB = Date.UTC(b.getUTCFullYear(), b.getUTCMonth(), b.getUTCDate());
        return Math.floor((dayB - dayA) / 86400000);
    }
}
