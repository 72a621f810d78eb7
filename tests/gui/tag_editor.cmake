# The Tag infos and Rename tabs of the main window.
tralu_add_test(test_tag_editor QT SOURCES tag_editor_test.cpp LIBS tralu_app)
