#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLineEdit;

// True when the text is not empty and every byte is an ASCII digit.
bool IsAllDigits(const std::string& text);

// The proxy dialog: a dotted IPv4 address and a port, checked on OK and stored in the
// process-wide proxy texts. Both texts are stored before they are checked, so a refused entry
// has replaced the stored one. Cancel, Esc and the close box untick the main window's proxy box.
// Where the program keeps settings (installed), the boxes start with the stored values and an
// accepted entry is kept for the next start.
class DLG_SetHttp : public QDialog {
    Q_OBJECT
public:
    explicit DLG_SetHttp(std::function<void()> untickProxyBox, QWidget* parent = nullptr);

    // OK: store, check, and close only when the entry passes.
    void accept() override;
    void reject() override;

private:
    // Shows the refusal and puts the focus into the box to mend.
    void Refuse(const char* message, QLineEdit* box);

    std::function<void()> untickProxyBox;
    QLineEdit* addressEdit;
    QLineEdit* portEdit;
};
