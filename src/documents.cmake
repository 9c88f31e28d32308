# Documents of the module Zem.Inkly, relative to the project root.
set(INKLY_QML_FILES
    src/App.qml
    src/core/drawing/DrawingTool.qml
    src/core/drawing/DrawingContext.qml
    src/core/settings/AppSettings.qml
    src/core/stats/Stats.qml
    src/theme/Theme.qml
    src/constants/AppConstants.qml
    src/utils/Utils.qml
    src/utils/Debounce.qml
    src/utils/Throttle.qml
    src/utils/Repeat.qml
)

# Documents that are singletons of the module.
set(INKLY_QML_SINGLETONS
    src/core/drawing/DrawingTool.qml
    src/core/stats/Stats.qml
    src/theme/Theme.qml
    src/constants/AppConstants.qml
    src/utils/Utils.qml
)
