#pragma once

#include <string>

// Every text the engine shows a user, in English, replaceable as a whole (a translation
// assigns another set at start-up).
struct TImpTexts {
    std::string True = "True";
    std::string False = "False";
    std::string Text = "Text";   // prefix of fixed-width column names: Text1-10
    std::string Field = "Field"; // prefix of delimited column names: Field3
    std::string Importing = "Importing...";
    std::string ResultCompleted = "The data import process has completed successfully.";
    std::string ResultCanceled = "The data import process was canceled by the user.";
    std::string ResultFailed = "An error has occurred during the data import process.";
    std::string PropertyNotSpecified = "Property %s wasn't specified.";
    std::string CantCreateProcessDialog = "Can't create a process dialog";
    std::string Processed = "Processed:";
    std::string Errors = "Errors:";
    std::string Added = "Added:";
    std::string Updated = "Updated:";
    std::string Deleted = "Deleted:";
    std::string Skipped = "Skipped";
    std::string CancelButton = "&Cancel";
    std::string OKButton = "&OK";
    std::string ParameterProperties = "Parameter properties";
    std::string AllFilesFilter = "All files (*.*)|*.*";
    std::string DataSetNotFound = "Dataset '%s' not found";
    std::string ApplicationTitle = "Ferrovane";
    std::string ImportSpecification = "Import specification";
    std::string ImportFromFile = "Import from File:";
    std::string SpecificationFilter = "Import specification|*.VXI|All files (*.*)|*.*";
    std::string FileNotExist = "File %s not exist.";
};

TImpTexts &ImpTexts();
