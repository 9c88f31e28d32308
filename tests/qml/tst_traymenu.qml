import QtQuick
import QtTest
import Zem.Inkly

TestCase {
    id: testCase
    name: "TrayMenu"
    width: 200
    height: 200
    when: windowShown
    visible: true

    Component {
        id: menuComponent

        TrayMenu {}
    }

    Component {
        id: spyComponent

        SignalSpy {}
    }

    function test_entriesAndSignals() {
        const menu = createTemporaryObject(menuComponent, testCase);
        compare(menu.preferredSide, "above");
        compare(menu.borderRadius, 4);
        const entries = Array.from(menu.contentItem.children);
        compare(entries.map(entry => entry.text), ["잉클리 열기", "환경설정", "종료"]);

        const signalNames = ["openRequested", "settingsRequested", "quitRequested"];
        const spies = signalNames.map(signalName => createTemporaryObject(spyComponent, testCase, {
                                                                              "target": menu,
                                                                              "signalName": signalName
                                                                          }));
        for (let i = 0; i < entries.length; ++i) {
            menu.open();
            tryCompare(menu, "visible", true);
            waitForRendering(menu.contentItem);
            for (let j = 0; j < entries.length; ++j) {
                compare(entries[j].width, entries[0].width, "equally wide");
                verify(entries[j].width >= 100);
            }
            compare(menu.contentWidth, entries[0].width + 8);
            mouseClick(entries[i]);
            for (let k = 0; k < spies.length; ++k)
                compare(spies[k].count, k <= i ? 1 : 0, signalNames[k] + " after entry " + i);
            tryCompare(menu, "visible", false, 1000, "an entry closes the menu");
        }
    }
}
