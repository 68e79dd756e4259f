// The Linux help window, Dialog.
#pragma once

#include "shared/form_layout.h"

#include <QString>
#include <QWidget>

namespace lumivar {

// A help window. Any number can be open, each on its own, owned by nobody.
class Dialog final : public QWidget {
    Q_OBJECT

public:
    explicit Dialog(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;
};

// Opens one more help window over `mainWindow`, at its designed place.
void openDialog(QWidget& mainWindow);

} // namespace lumivar
