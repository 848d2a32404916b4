// Form1's placement, its scaling to the screen's density, its font, the measuring of its texts
// and the drawing of the controls it draws itself.
#pragma once

#include <windows.h>

#include <string>

#include "ui/form_controls.h"
#include "ui/gdi_guards.h"
#include "ui/handler_nesting.h"

namespace trv::ui {

class FormLayout {
 public:
  // A failure while the layout follows a change of the window goes to `nesting`.
  FormLayout(const FormControls& form, HandlerNesting& nesting) : form_(form), nesting_(nesting) {}
  FormLayout(const FormLayout&) = delete;
  FormLayout& operator=(const FormLayout&) = delete;

  // Where the window is created, before it knows its density: the primary screen's corner.
  static RECT CreationBounds();
  // Sizes the window for its density and centres it on the primary screen.
  void FitToPrimaryScreen();
  // Takes the new controls: scales them to the window's density, places them, and from now on
  // fits SelectedFile's height to each caption it is given, whoever sets it.
  void Attach();
  // The window's messages about its size, its density and the controls it draws; true, with
  // `*result`, for those handled here.
  bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  // Label2 keeps its laid-out width unless its caption needs more.
  void FitLabel2Width();

  // What the SelectedFile label last drew, as opposed to its caption.
  const std::wstring& selected_file_drawn() const { return selected_file_drawn_; }

 private:
  static LRESULT CALLBACK SelectedFileProc(HWND label, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR id, DWORD_PTR layout);
  void LimitSize(MINMAXINFO& limits) const;
  void OnDpiChanged(UINT dpi, const RECT& suggested);
  void ApplyDpi(UINT dpi);
  void LayoutControls();
  // SelectedFile grows downwards to as many lines as its caption needs. Where the window's
  // bottom edge comes first, it shows the path shortened (its caption stays the whole path).
  void FitSelectedFileHeight();
  // The height from SelectedFile's top to the window's bottom edge.
  int SelectedFileRoom() const;
  std::wstring SelectedFileShownText() const;
  void FitComboBoxFieldHeight();
  bool MeasureItem(MEASUREITEMSTRUCT& item) const;
  bool DrawItem(const DRAWITEMSTRUCT& item);
  void DrawComboBoxItem(const DRAWITEMSTRUCT& item);
  void DrawSelectedFile(const DRAWITEMSTRUCT& item);
  int Scale(int pixels_at_96_dpi) const;

  const FormControls& form_;
  HandlerNesting& nesting_;
  OwnedFont font_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  // What SelectedFile shows, fitted with its height whenever its caption, the font or the room
  // below it changes; and what it last drew.
  std::wstring selected_file_shown_;
  std::wstring selected_file_drawn_;
};

}  // namespace trv::ui
