// The help buttons: a message box titled "Help", or a small modal help window.
#include "form1.h"

void Form1::ShowHelpMessage(const std::string& text) {
  host_.ShowMessage(text, "Help", MessageIcon::None, MessageButtons::Ok);
}

void Form1::cmdHelpProgramFriendlyName_Click() {
  ShowHelpMessage(
      "Type the friendly name of your program. This is the name the user sees in the Install dialog of the Setup "
      "program.\r\n\r\nIt is a good idea to begin it with your company name. For example, if your company is "
      "\"My Company\" and your program is \"My Program\", type: My Company My Program\r\n\r\nDo not change the "
      "friendly name between releases of your program: the Setup program uses it to recognise an older release on "
      "the user's computer and to replace it.");
}

void Form1::cmdHelpCompanyName_Click() {
  ShowHelpMessage("Type the name of your company. You may leave this field blank.");
}

void Form1::cmdHelpWebSiteURL_Click() {
  ShowHelpMessage(std::string("Type the base URL of the web site where the Setup program will be published, for "
                              "example:\r\n\r\nhttp://www.mycompany.example/\r\nhttp://www.myisp.example/~me/\r\n\r\n"
                              "If you are only testing locally, you can type: ") +
                  kExampleBaseURL +
                  "\r\n\r\nType the base URL of the site, not the directory where the Setup program is published.");
}

void Form1::cmdHelpActiveXURL_Click() {
  ShowHelpMessage(
      "Type the URL of the directory of your web site where the OCX and DLL files are published, for example:"
      "\r\n\r\nhttp://www.mycompany.example/ActiveX/\r\nhttp://www.myisp.example/~me/ActiveX/\r\n\r\nKeep only one "
      "such directory on your site: these are common files that all your web setup pages can share.");
}

void Form1::cmdHelpPublicationURL_Click() {
  ShowHelpMessage(std::string("Type the full URL where the resultant Web Setup program will be published, for "
                              "example:\r\n\r\nhttp://www.mycompany.example/MySetup/\r\n"
                              "http://www.myisp.example/~me/MySetup/\r\n\r\nIf you are only testing locally, you can "
                              "type: ") +
                  kExampleBaseURL + "MySetup/");
}

void Form1::cmdHelpSelectDirectory_Click() {
  ShowHelpMessage(
      "Click the three-dots button and select the directory where your program and its files reside (its "
      "sub-directories are included). For example, if your program C:\\MyProgram\\MyProgram.exe keeps all its "
      "files in C:\\MyProgram, select C:\\MyProgram.\r\n\r\nIf you select a directory that you have used with the "
      "Wizard before, all the earlier Wizard settings of that program are loaded automatically.");
}

void Form1::cmdHelpSelectProgramFiles_Click() {
  ShowHelpMessage(
      "Tick the files that belong to your program in the list.\r\n\r\nTo select or clear all the files at once, "
      "right-click the list.");
}

void Form1::cmdHelpExeListbox_Click() {
  ShowHelpMessage(
      "Select the file to be executed at the end of the installation, or <none>.\r\n\r\nIf the file is an EXE "
      "program that needs parameters, type them in the parameters box: each parameter in double quotes, the "
      "parameters separated by commas. For example, for MyProgram.exe with two parameters type:\r\n\r\n"
      "\"/setup\",\"C:\\My Data\"");
}

void Form1::cmdHelpProgramGroup_Click() {
  ShowHelpMessage(
      "Build the program group that the Setup program creates in the Start menu: right-click an item and "
      "choose\r\n\r\nRename to change its name,\r\nCreate Child to add an item below it,\r\nDelete to remove the "
      "item and all its children,\r\nLink To... to make the item a shortcut to one of your files (then select the "
      "file),\r\nUnlink to make it a group again.");
}

void Form1::cmdHelpOcxList_Click() { host_.ShowModalWindow(ModalWindow::OcxListHelp); }

void Form1::cmdHelpDllList_Click() { host_.ShowModalWindow(ModalWindow::OcxListHelp); }

void Form1::cmdHelpResultantHtmlPage_Click() {
  ShowHelpMessage("Type the file name, without a path, of the resultant HTML page. For example: MyPage.htm");
}

void Form1::cmdHelpTitleOfResultantHtml_Click() {
  ShowHelpMessage("Type the title of the resultant HTML page. For example: The MyPage Web Setup Page");
}

void Form1::cmdHelpStandAloneExeFilename_Click() {
  ShowHelpMessage(
      "Type the file name, without a path, of the resultant Web Setup exe program. For example: MyWebSetup.exe");
}

void Form1::cmdHelpMinimizeDownloadTime_Click() { host_.ShowModalWindow(ModalWindow::MinimizeDownloadTimeHelp); }

void Form1::cmdSignCodeHelp_Click() { host_.ShowModalWindow(ModalWindow::SignCodeHelp); }

HelpWindowContent Form1::HelpWindowText(ModalWindow window) {
  switch (window) {
    case ModalWindow::OcxListHelp:
      return {"Help for Step 5",
              "Add the ActiveX (OCX) files your program uses to the OCX list, and the DLL files it uses to the DLL "
              "list.\r\n\r\nThe VexaLoad.ocx file is automatically added to the list (and you cannot remove it from "
              "the list).\r\n\r\nMost DLL files are not registerable and belong in the DLL list. A DLL file that is "
              "registerable belongs in the OCX list, as if it were an OCX file."};
    case ModalWindow::MinimizeDownloadTimeHelp:
      return {"Minimize Download Time",
              "When the Minimize Download Time box is checked, the download time of your program is minimized: if "
              "a download is interrupted, it continues later from the point of interruption, and what was "
              "downloaded already is not downloaded again."};
    case ModalWindow::SignCodeHelp:
      return {"Sign Code Help",
              "Type the command or commands, one per line, that sign your Web Setup files with your code-signing "
              "certificate. They run when the Wizard has created the files.\r\n\r\n%1 stands for the name of the "
              "program being signed and %2 for the program title.\r\n\r\nExample:\r\n"
              "C:\\Tools\\SignCode.EXE -prog %1 -spc C:\\Keys\\MyCert.spc -v C:\\Keys\\MyKey.pvk -name %2 "
              "-info http://www.mycompany.example/ -timestamp http://timestamp.mycompany.example/"};
    case ModalWindow::Samples:
      return {"Samples", std::string("See the samples of Web Setup programs in action at ") + kMakerSamplesAddress};
    case ModalWindow::LinkTo:
      return {"Link To", ""};
  }
  return {};
}
