#pragma once
// A button drawn as a link: underlined text in the theme's link colour, no frame, a dotted
// frame while it has the keyboard focus. Its tool tip reads "Open Quintrel <title>".

#include <QPushButton>

namespace quintrel {

class LinkButton final : public QPushButton {
    Q_OBJECT

public:
    LinkButton(const QString& title, QWidget* parent);
};

}  // namespace quintrel
