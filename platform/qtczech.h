#pragma once
// Qt's own texts (file dialogs, the edit pop-up of text boxes, standard
// buttons) in Czech, whatever the machine's locale.

// Installs Qt's Czech translation (qtbase_cs) once per run and makes Czech
// the default locale; false when the translation is not installed.
bool UseQtCzech();
