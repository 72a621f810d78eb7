# Languages, the parameters dialog and the about box of the main window.
tralu_add_test(test_languages QT SOURCES languages_test.cpp LIBS tralu_app)
