#pragma once

class QLineEdit;

// The whole text of box is selected when it gets the focus, so typing replaces
// it (after the click that gave the focus has placed the cursor).
void selectAllOnEntry(QLineEdit* box);
