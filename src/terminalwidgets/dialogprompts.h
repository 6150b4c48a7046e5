#pragma once
// The prompts of the Prompts seam as Qt's input dialog and message box, titled "Velmora".

#include "seams/seams.h"

namespace velmora {

class DialogPrompts : public Prompts {
public:
    QString inputBox(const QString& prompt) override;
    void messageBox(const QString& text) override;
};

} // namespace velmora
