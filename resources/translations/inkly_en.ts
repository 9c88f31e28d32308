<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ko">
<context>
    <name>AboutWindow</name>
    <message>
        <source>제품 정보</source>
        <translation>About Inkly</translation>
    </message>
    <message>
        <source>잉클리</source>
        <translation>Inkly</translation>
    </message>
    <message>
        <source>라이선스 정보</source>
        <translation>Licence</translation>
    </message>
</context>
<context>
    <name>AppSwitch</name>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
</context>
<context>
    <name>CMessageBox</name>
    <message>
        <source>확인</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>잉클리</source>
        <translation>Inkly</translation>
    </message>
</context>
<context>
    <name>CaptureCommand</name>
    <message>
        <source>그래빗이 설치되어 있지 않습니다.</source>
        <translation>Grabbit is not installed.</translation>
    </message>
    <message>
        <source>캡처 기능을 사용하려면 그래빗을 설치해야 합니다.
지금 설치하시겠습니까?</source>
        <translation>Capturing needs Grabbit.
Install it now?</translation>
    </message>
    <message>
        <source>설치</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>캡처를 실행할 수 없습니다.</source>
        <translation>The capture could not start.</translation>
    </message>
    <message>
        <source>알 수 없는 오류가 발생했습니다.
잠시 후 다시 시도해주세요.</source>
        <translation>Something went wrong.
Please try again in a moment.</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>EraserPanel</name>
    <message>
        <source>지우개</source>
        <translation>Eraser</translation>
    </message>
    <message>
        <source>영역 지우개</source>
        <translation>Area eraser</translation>
    </message>
</context>
<context>
    <name>HotkeyField</name>
    <message>
        <source>쓸 수 없는 키입니다</source>
        <translation>Not a key Inkly can use</translation>
    </message>
    <message>
        <source>다른 동작과 같은 키입니다</source>
        <translation>Already the key of another action</translation>
    </message>
    <message>
        <source>다른 프로그램이 이미 쓰고 있습니다</source>
        <translation>Used by another program</translation>
    </message>
    <message>
        <source>키를 등록할 수 없습니다</source>
        <translation>The key cannot be taken</translation>
    </message>
    <message>
        <source>키를 누르세요</source>
        <translation>Press the keys</translation>
    </message>
    <message>
        <source>없음</source>
        <translation>None</translation>
    </message>
</context>
<context>
    <name>MorePanel</name>
    <message>
        <source>사용팁</source>
        <translation>Usage tips</translation>
    </message>
    <message>
        <source>환경설정</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>제품 정보</source>
        <translation>About</translation>
    </message>
    <message>
        <source>마벨로 홈페이지</source>
        <translation>Mavelo website</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>화이트보드</source>
        <translation>White board</translation>
    </message>
    <message>
        <source>끄기</source>
        <translation>off</translation>
    </message>
    <message>
        <source>블랙보드</source>
        <translation>Black board</translation>
    </message>
    <message>
        <source>그림으로 저장</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>그림 복사</source>
        <translation>Copy picture</translation>
    </message>
</context>
<context>
    <name>Overview</name>
    <message>
        <source>잉클리 시작하기</source>
        <translation>Start Inkly</translation>
    </message>
</context>
<context>
    <name>PointerPanel</name>
    <message>
        <source>마우스 포인터</source>
        <translation>Mouse pointer</translation>
    </message>
    <message>
        <source>레이저 포인터</source>
        <translation>Laser pointer</translation>
    </message>
</context>
<context>
    <name>PictureNotice</name>
    <message>
        <source>화면을 읽을 수 없습니다.</source>
        <translation>The screen cannot be read.</translation>
    </message>
    <message>
        <source>그림 폴더를 만들거나 쓸 수 없습니다.</source>
        <translation>The pictures folder cannot be made or written.</translation>
    </message>
    <message>
        <source>디스크 공간이 부족합니다.</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>파일을 쓰는 중 오류가 발생했습니다.</source>
        <translation>The file could not be written.</translation>
    </message>
    <message>
        <source>그림을 저장했습니다.</source>
        <translation>Picture saved</translation>
    </message>
    <message>
        <source>%1에 저장했습니다.</source>
        <translation>Saved in %1.</translation>
    </message>
    <message>
        <source>그린 것은 그대로 남아 있습니다.</source>
        <translation>Your drawing is untouched.</translation>
    </message>
    <message>
        <source>그림을 저장할 수 없습니다.</source>
        <translation>The picture cannot be saved</translation>
    </message>
    <message>
        <source>그림을 클립보드에 복사했습니다.</source>
        <translation>Picture copied to the clipboard</translation>
    </message>
    <message>
        <source>다른 프로그램에 붙여 넣을 수 있습니다.</source>
        <translation>Paste it into another program.</translation>
    </message>
    <message>
        <source>그림을 복사할 수 없습니다.</source>
        <translation>The picture cannot be copied</translation>
    </message>
</context>
<context>
    <name>PictureToast</name>
    <message>
        <source>폴더 열기</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>닫기</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>QApplication</name>
    <message>
        <source>잉클리</source>
        <translation>Inkly</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <source>Windows 시작 시 자동 실행</source>
        <translation>Start with Windows</translation>
    </message>
    <message>
        <source>로그인 시 자동 실행</source>
        <translation>Start at log-in</translation>
    </message>
    <message>
        <source>환경설정</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>일반</source>
        <translation>General</translation>
    </message>
    <message>
        <source>입력</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>마우스 휠 더블 클릭으로 최근 그리기 도구/커서 전환</source>
        <translation>Wheel double-click: last tool / pointer</translation>
    </message>
    <message>
        <source>도움말</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>사용팁 자동 실행</source>
        <translation>Show usage tips automatically</translation>
    </message>
    <message>
        <source>저장</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>취소</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>켜기/끄기</source>
        <translation>On/off</translation>
    </message>
    <message>
        <source>마우스 포인터/최근 그리기 도구 전환</source>
        <translation>Mouse pointer / last drawing tool</translation>
    </message>
    <message>
        <source>펜</source>
        <translation>Pen</translation>
    </message>
    <message>
        <source>형광펜</source>
        <translation>Highlighter</translation>
    </message>
    <message>
        <source>실행 취소</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>다시 실행</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>모두 지우기</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>그림으로 저장</source>
        <translation>Save picture</translation>
    </message>
    <message>
        <source>전역 단축키</source>
        <translation>Keys of the whole desktop</translation>
    </message>
    <message>
        <source>다른 프로그램을 쓰는 중에도 단축키 사용</source>
        <translation>Use the keys while other programs have the focus</translation>
    </message>
    <message>
        <source>Wayland 세션에서는 이 단축키가 다른 프로그램 위에서 동작하지 않습니다. 데스크톱의 단축키 설정에서 inkly --toggle, inkly --save-picture 같은 명령을 연결하세요.</source>
        <translation>In a Wayland session these keys do not work over other programs. Bind commands such as inkly --toggle or inkly --save-picture in the keyboard settings of your desktop instead.</translation>
    </message>
    <message>
        <source>이 환경에서는 전역 단축키를 쓸 수 없습니다.</source>
        <translation>Keys of the whole desktop are not available here.</translation>
    </message>
</context>
<context>
    <name>ShapePanel</name>
    <message>
        <source>사각형</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>타원</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>별</source>
        <translation>Star</translation>
    </message>
    <message>
        <source>점선 사각형</source>
        <translation>Dashed rectangle</translation>
    </message>
    <message>
        <source>점선 타원</source>
        <translation>Dashed ellipse</translation>
    </message>
    <message>
        <source>직선</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>화살표</source>
        <translation>Arrow</translation>
    </message>
    <message>
        <source>텍스트</source>
        <translation>Text</translation>
    </message>
</context>
<context>
    <name>ToolbarButtonBar</name>
    <message>
        <source>표시/숨기기</source>
        <translation>Show/Hide</translation>
    </message>
    <message>
        <source>마우스 포인터</source>
        <translation>Mouse pointer</translation>
    </message>
    <message>
        <source>펜</source>
        <translation>Pen</translation>
    </message>
    <message>
        <source>형광펜</source>
        <translation>Highlighter</translation>
    </message>
    <message>
        <source>도형</source>
        <translation>Shapes</translation>
    </message>
    <message>
        <source>지우개</source>
        <translation>Eraser</translation>
    </message>
    <message>
        <source>선 굵기</source>
        <translation>Line width</translation>
    </message>
    <message>
        <source>색상 팔레트</source>
        <translation>Colour palette</translation>
    </message>
    <message>
        <source>실행 취소</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>다시 실행</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>모두 지우기</source>
        <translation>Clear all</translation>
    </message>
    <message>
        <source>캡처</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>더보기</source>
        <translation>More</translation>
    </message>
</context>
<context>
    <name>TrayMenu</name>
    <message>
        <source>잉클리 열기</source>
        <translation>Open Inkly</translation>
    </message>
    <message>
        <source>환경설정</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>종료</source>
        <translation>Quit</translation>
    </message>
</context>
<context>
    <name>UsageTips</name>
    <message>
        <source>최근 그리기 도구 / 커서 전환</source>
        <translation>Last drawing tool / pointer</translation>
    </message>
    <message>
        <source>그리기 도구 전환</source>
        <translation>Change drawing tool</translation>
    </message>
    <message>
        <source>선 굵기 변경</source>
        <translation>Change line width</translation>
    </message>
    <message>
        <source>텍스트 입력</source>
        <translation>Type text</translation>
    </message>
    <message>
        <source>레이저 포인터</source>
        <translation>Laser pointer</translation>
    </message>
    <message>
        <source>화이트보드</source>
        <translation>White board</translation>
    </message>
    <message>
        <source>블랙보드</source>
        <translation>Black board</translation>
    </message>
</context>
</TS>
