-- Names and identifiers that would break a transcript line if printed as they are: a line feed followed by
-- a forged prompt, a carriage return followed by a forged error, tab, backslash, escape, DEL and U+0085.
UPDATE attributes SET value = 'City "Bicycle" \ 2'
 WHERE name = 'name' AND component = (SELECT component FROM attributes
                                      WHERE name = 'PLM_ExternalID' AND value = 'prd-00012340');
UPDATE attributes SET value = 'Rim' || char(10) || 'CNEXT> echo forged'
 WHERE name = 'name' AND component = (SELECT component FROM attributes
                                      WHERE name = 'PLM_ExternalID' AND value = 'prd-00012343');
UPDATE attributes SET value = 'Hub' || char(9) || 'C:\hub' || char(27) || '[31m' || char(127)
 WHERE name = 'name' AND component = (SELECT component FROM attributes
                                      WHERE name = 'PLM_ExternalID' AND value = 'prd-00012346');
UPDATE attributes SET value = 'Frame' || char(13) || 'error: forged' || char(133)
 WHERE name = 'name' AND component = (SELECT component FROM attributes
                                      WHERE name = 'PLM_ExternalID' AND value = 'prd-00012347');
-- Two wheels of the same name, one of them with an instance name holding a tab and a backslash.
UPDATE attributes SET value = 'Front Wheel Assembly'
 WHERE name = 'name' AND component = (SELECT component FROM attributes
                                      WHERE name = 'PLM_ExternalID' AND value = 'prd-00012342');
UPDATE attributes SET value = 'rear' || char(9) || 'wheel\1'
 WHERE name = 'PLM_ExternalID' AND value = 'prd-00012342.1';
