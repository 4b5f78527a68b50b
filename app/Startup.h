#pragma once

class QApplication;

// Sets up the application object before any window exists: the title "Kelvara", the icon, Qt's own texts in
// Chinese, the program's message boxes, and that hiding or closing the last window does not end the program (it
// lives on in the tray until "退出软件").
void PrepareApplication(QApplication &app);
