// What the model calls when the developer presses Finish: the release builder, which works
// on the model's fields and reports through the model's host.
#pragma once

class Form1;

class ReleaseBuilder {
 public:
  virtual ~ReleaseBuilder() = default;
  // The whole build of the web setup package for the answers in `form`.
  virtual void Finish(Form1& form) = 0;
};
