#include "shell/desktop/association_question.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>

#include "shell/desktop/help_window.h"
#include "shell/options/association_dialog.h"

namespace ferrix::shell {

desktop::AskAssociation associationQuestion(config::Configuration& configuration,
                                            QWidget* owner) {
  QPointer<QWidget> window(owner);
  return [&configuration, window](const std::string& extension) {
    auto ask = [&] {
      QWidget* parent = window.data();
      return showAssociationDialog(parent, configuration, extension, [parent](int topic) {
               showHelpTopic(topic, parent);
             }) == 1;
    };
    if (window == nullptr || QThread::currentThread() == window->thread()) return ask();
    bool confirmed = false;
    QMetaObject::invokeMethod(window.data(), [&] { confirmed = ask(); },
                              Qt::BlockingQueuedConnection);
    return confirmed;
  };
}

}  // namespace ferrix::shell
