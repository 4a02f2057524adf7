// Window-manager hints that Qt does not offer for every window type.
#pragma once

class QWidget;

// Keeps a top-level window off the task bar and the pager. Call it before each
// show: it adds the hints to the native window while it is still unmapped.
void SetSkipTaskbar(QWidget* window);
