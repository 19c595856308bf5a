// The test dialog's form description: its settings and components, kept as data in
// JqTestForm.cpp.
#pragma once

class TJQTestDlg;

// Gives the dialog the settings of its form description and creates every component in creation
// order, storing each in its published field and binding the event handlers. OnCreate does not
// fire here.
void ReadJqTestForm(TJQTestDlg& Dialog);
