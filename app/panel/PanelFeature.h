// How a feature joins a device panel. A feature is a PanelFeature: it owns
// its state and the menu items it adds to the panel's widgets, and it reaches
// the rest of the window only through its DevicePanel. The panel keeps its
// features in the order they were registered (the order their items appear
// in a menu they share) and calls the hooks below on all of them; a feature
// overrides those it needs. Features never include the form's headers nor
// another feature's folder: what they share is the panel's.
//
// A new feature is a folder of its own under app/features, one line in the
// form's registration list (app/form/PanelFeatures.cpp) and its texts in the
// catalogs.
#pragma once

#include <windows.h>

#include <toolkit/toolkit.h>

#include "PanelSend.h"

class DevicePanel;
struct ReceivedBlock;

// Why a panel's port closes.
enum class PortCloseReason {
  User,  // the panel's button or key
  Exit,  // the window closes
  Lost,  // its device went away; the panel waits for it to come back
};

class PanelFeature {
 public:
  explicit PanelFeature(DevicePanel& Panel) : Panel(Panel) {}
  virtual ~PanelFeature() = default;
  PanelFeature(const PanelFeature&) = delete;
  PanelFeature& operator=(const PanelFeature&) = delete;

  // Each tick of Timer1, before the deliveries are queued.
  virtual void Tick() {}
  // The panel's port has just opened (or opened again after a loss).
  virtual void PortOpened() {}
  // The panel's port is about to close: what runs on it stops.
  virtual void PortClosing(PortCloseReason /*Reason*/) {}
  // The panel's port has closed. BlocksFollow: the close posted what the
  // port still held, the last block marked, and those blocks are on their
  // way to the window.
  virtual void PortClosed(PortCloseReason /*Reason*/, bool /*BlocksFollow*/) {}
  // Every block the panel's port receives, in order, before the receive
  // area shows it.
  virtual void Received(const ReceivedBlock& /*Block*/) {}
  // While true, what the port receives goes to this feature and not to the
  // receive area (a file transfer); the other features still hear it.
  virtual bool HoldsReceived() const { return false; }
  // One step of a send on its way to the port (PanelSend.h): a feature
  // changes what goes, or how, at the steps it serves.
  virtual void Shape(SendStep /*Step*/, PanelSend& /*Send*/) {}
  // Bytes the panel's sends wrote to its port (paced ones as they go).
  virtual void Sent(const BYTE* /*Bytes*/, DWORD /*Count*/) {}
  // A break of Ms milliseconds began on the panel's port.
  virtual void BreakSent(int /*Ms*/) {}
  // Brings the feature's menu items in line with its state.
  virtual void ShowState() {}
  // A line for the counter panel's tool tip; empty for none.
  virtual String Hint() const { return String(); }
  // Text that follows the counter line while something runs (" 37%");
  // empty for none.
  virtual String Progress() const { return String(); }
  // The feature's remembered choices, in the panel's settings section.
  virtual void LoadChoices(TIniFile& /*Ini*/, const String& /*Section*/) {}
  virtual void SaveChoices(TIniFile& /*Ini*/, const String& /*Section*/) const {}

 protected:
  DevicePanel& Panel;
};
