import QtQuick
import Zem.Inkly

Text {
    id: root

    font.family: Theme.fontFamily
    color: Theme.colorText
}
