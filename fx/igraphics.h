// The editor's graphics object as the plug-in base sees it: the base routes parameter values to the
// bound controls, has the back buffers created when the graphics object is connected, and deletes it.
#pragma once

class IGraphics {
 public:
  virtual ~IGraphics() {}
  // Shows a parameter's value (normalised or in display units) on every control bound to it.
  virtual void RouteParamToControls(int paramIdx, double value, bool normalized) = 0;
  // Creates the off-screen buffers the editor draws into.
  virtual void CreateBackBuffers() = 0;
};
