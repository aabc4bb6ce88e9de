#pragma once

class QLineEdit;
class QWidget;

namespace varnok {

// The clear button Qt puts in a field has neither text nor name, so a screen
// reader would announce a nameless button inside it.
void nameClearButton(QLineEdit *field);

// Names what Qt's own dialogs leave nameless: the drop-down lists of their
// combo boxes (named after the box) and the fields and lists of the font
// dialog. Called on a dialog before it is shown.
void nameDialogParts(QWidget *dialog);

} // namespace varnok
