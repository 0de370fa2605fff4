#include "instance/preventnewinstance.h"

namespace instance {

void CheckPrevInstance(GuardedProgram& program, WindowFinder& finder) {
  const QString title = program.Title();
  // Taking the decoy title first keeps this copy out of its own search, and lets
  // any copy that starts next see that this one is no longer the product.
  program.SetTitle(QString::fromLatin1(kDecoyTitle));
  const std::unique_ptr<WindowFinder::Window> window = finder.FindWindow(title);
  if (!window) return;
  window->Activate();
  program.End();
}

}  // namespace instance
