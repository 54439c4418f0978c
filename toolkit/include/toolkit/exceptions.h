// The toolkit's exception family. Message is what the standard error display
// shows.
#pragma once

#include <exception>

#include "toolkit/strings.h"

class Exception : public std::exception {
 public:
  explicit Exception(const String& Msg) : Message(Msg) {}
  const char* what() const noexcept override { return Message.c_str(); }

  String Message;
};

// A text that does not convert (StrToInt and the like).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A registry value that cannot be read as asked (for example not text).
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// An index outside a string list.
class EStringListError : public Exception {
 public:
  using Exception::Exception;
};

// A picture or icon that cannot be loaded.
class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};

// A menu item put where it cannot go, or an index outside a menu.
class EMenuError : public Exception {
 public:
  using Exception::Exception;
};
