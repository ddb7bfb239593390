# quintar_desktop_entry_paths(FOLDER PROGRAM EXEC_VAR TRY_EXEC_VAR): the
# program's full path as a desktop entry's Exec and TryExec keys want it.
# Exec quotes a path that holds a character it reserves, escaping the four
# that stay special inside quotes, and doubles % (a field code otherwise);
# both keys then double every backslash, as all string values do. PROGRAM
# is a plain file name, possibly a generator expression, and is not escaped.
function(quintar_desktop_entry_paths folder program exec_var try_exec_var)
    string(REPLACE "\\" "\\\\" try_exec "${folder}")
    string(REPLACE "%" "%%" exec "${folder}")
    set(quote "")
    if(exec MATCHES "[ \t\"'\\\\<>~|&;$*?#()`]")
        string(REGEX REPLACE "([\"`$\\\\])" "\\\\\\1" exec "${exec}")
        set(quote "\"")
    endif()
    string(REPLACE "\\" "\\\\" exec "${exec}")
    set(${exec_var} "${quote}${exec}/${program}${quote}" PARENT_SCOPE)
    set(${try_exec_var} "${try_exec}/${program}" PARENT_SCOPE)
endfunction()
