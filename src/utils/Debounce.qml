import QtQuick

QtObject {}
