// What an elicitation dialog needs from the application: the model it edits, the prompts through
// which it shows messages, and the window it is centred over.
#pragma once

class QWidget;

namespace velor {
class Model;
namespace ui {
class Prompts;
}
} // namespace velor

namespace velor::elicit {

struct DialogContext {
    Model& model;
    ui::Prompts& prompts;
    QWidget* parent = nullptr;
};

} // namespace velor::elicit
